#pragma once
// Developer mode: the developer buttons, the instance label, shortened tables and untrapped
// start-up errors. Only a build configured with -DPELTO_DESIGN_MODE=ON runs in it; a released
// program never does.

namespace pelto::diag {

bool InDesignMode();

} // namespace pelto::diag
