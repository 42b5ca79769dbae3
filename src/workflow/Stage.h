#pragma once
// How a workflow ends, and the hook through which a front end learns which stage runs: the
// command line draws it on its progress line, the window in its caption.

#include <QString>

namespace pelto::workflow {

enum class StageResult { Completed, Cancelled, Failed };

class StageHook {
public:
    virtual ~StageHook() = default;
    // A stage begins: "Checking", "Copying", "Deleting", "Clearing archive bits".
    virtual void enterStage(const QString& stage) = 0;
};

} // namespace pelto::workflow
