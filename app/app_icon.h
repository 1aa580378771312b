#pragma once
#include <QIcon>

namespace quorvane {

// The application icon, drawn from our SVG at the usual sizes, each when first asked
// for (no icon plugin needed).
QIcon app_icon();

}  // namespace quorvane
