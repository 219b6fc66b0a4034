// Builds the six pages of the main window by page index. The one place that knows which class
// serves which index; tests put their own factory in its place.
#pragma once

#include <functional>

class QWidget;

namespace yx {

class Page;

using PageFactory = std::function<Page*(int pageIndex, QWidget* parent)>;

// The program's pages: 0 lifecycle, 1 personal, 2 other people, 3 CA, 4 secure e-mail,
// 5 file encryption. Null for any other index.
Page* createPage(int pageIndex, QWidget* parent);

} // namespace yx
