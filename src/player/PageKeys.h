#pragma once
// The keys every document viewer has for leafing, and Esc to leave presentation mode. They are
// not menu shortcuts: a focused control that takes the key (a scroll bar) keeps it.

#include <Qt>

namespace qrl {

enum class TPageKey { None, Next, Previous, First, Last, LeavePresentation };

TPageKey PageKeyFor(int key, Qt::KeyboardModifiers modifiers);

}  // namespace qrl
