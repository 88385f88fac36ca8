#include "player/TPageHistory.h"

namespace qrl {

void TPageHistory::GoTo(int page) {
  visited_.push_front(page);
  if (forward_.empty()) return;
  if (forward_.front() == page)
    forward_.pop_front();
  else
    forward_.clear();
}

int TPageHistory::Back(int currentPage) {
  if (visited_.size() < 2) return 0;
  visited_.pop_front();
  forward_.push_front(currentPage);
  return visited_.front();
}

void TPageHistory::Clear() {
  visited_.clear();
  forward_.clear();
}

TClickOutcome ClickOutcome(int action, int currentPage, int pageCount, const TPageHistory& history) {
  if (action >= 1) {
    // A target beyond the last page would enter the visited list without ever being shown.
    if (action < pageCount) return {TClickEffect::GoToPage, action};
    return {};
  }
  switch (action) {
    case -1: return {TClickEffect::Close, 0};
    case -2:
      if (currentPage < pageCount - 1) return {TClickEffect::GoToPage, currentPage + 1};
      return {};
    case -3:
      if (currentPage > 1) return {TClickEffect::GoToPage, currentPage - 1};
      return {};
    case -4: return {TClickEffect::OpenUrl, 0};
    case -5:
      if (history.ForwardTarget() != 0) return {TClickEffect::GoToPage, history.ForwardTarget()};
      return {};
    case -6:
      if (history.VisitedPages().size() > 1) return {TClickEffect::Back, 0};
      return {};
    default: return {};
  }
}

}  // namespace qrl
