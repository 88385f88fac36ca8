#pragma once
// A start of the player with a flyer, while the user's player runs already, hands the flyer to
// that player instead of opening a second window.

#include <string>
#include <vector>

namespace qrl {

class TInstanceChannel;

// Offers the flyer named by the arguments to the running player; true when that player took it
// and this start has nothing more to do. A start with -r keeps its flyer: the flyer is a copy
// this process must delete when it closes it.
bool ForwardToRunningPlayer(TInstanceChannel& channel, const std::vector<std::string>& arguments);

}  // namespace qrl
