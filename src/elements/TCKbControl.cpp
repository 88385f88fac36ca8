#include "elements/TCKbControl.h"

#include "elements/TCKbOccurrence.h"

namespace qrl {

TCKbControl::TCKbControl(TElementContext& context) : context_(context) {}

TCKbControl::~TCKbControl() {
  // Occurrences refer to their element, so they go first, in list order.
  for (auto& occurrence : occurrences_) occurrence.reset();
}

TCKbOccurrence& TCKbControl::AddOccurrence() {
  occurrences_.push_back(CreateOccurrence());
  return *occurrences_.back();
}

TCKbOccurrence* TCKbControl::Occurrence(int number) const {
  if (number < 1 || static_cast<std::size_t>(number) > occurrences_.size()) return nullptr;
  return occurrences_[static_cast<std::size_t>(number - 1)].get();
}

}  // namespace qrl
