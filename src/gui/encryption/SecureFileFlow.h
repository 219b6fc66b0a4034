// Shows the secure-file properties of a path (the command line's properties operation).
#pragma once

#include <QString>

class QWidget;

namespace yx {

void ShowSecureFileProperties(const QString& path, QWidget* parent = nullptr);

} // namespace yx
