#pragma once
// The pages visited (newest first) and the pages one can go forward to (nearest first), and what
// a click area's action does with them.

#include <deque>

namespace qrl {

class TPageHistory {
 public:
  // A page change: the page becomes the newest visited one; the forward list loses its first
  // entry when that is the page, else it is cleared.
  void GoTo(int page);
  // Going back: with at least two visited pages the newest is dropped and current goes to the
  // front of the forward list; returns the page to show (not recorded again), or 0 for none.
  int Back(int currentPage);
  // The first page of the forward list, or 0 when it is empty.
  int ForwardTarget() const { return forward_.empty() ? 0 : forward_.front(); }
  void Clear();

  const std::deque<int>& VisitedPages() const { return visited_; }
  const std::deque<int>& ForwardPages() const { return forward_; }

 private:
  std::deque<int> visited_;
  std::deque<int> forward_;
};

enum class TClickEffect { None, GoToPage, Back, Close, OpenUrl };

struct TClickOutcome {
  TClickEffect effect = TClickEffect::None;
  int page = 0;  // for GoToPage
  friend bool operator==(const TClickOutcome&, const TClickOutcome&) = default;
};

// What a left click on a click area with the given action does. Pages run from 1 to
// pageCount - 1; a jump to a page that does not exist does nothing.
TClickOutcome ClickOutcome(int action, int currentPage, int pageCount, const TPageHistory& history);

}  // namespace qrl
