#pragma once
// What `pelto-cli --help` and `pelto-cli --version` print.

#include <QString>

namespace pelto::cli {

QString helpText();
QString versionText();
// The hint that follows a usage problem.
QString usageHint();

} // namespace pelto::cli
