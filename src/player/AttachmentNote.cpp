#include "player/AttachmentNote.h"

namespace qrl {

std::string AttachmentNote(bool isExecutable) {
  const std::string rule = " " + std::string(56, '-') + "\r\n";
  std::string note = "\r\n" + rule + std::string(11, ' ') + "QUIRELEAF ATTACHMENT\r\n" + rule;
  note += isExecutable ? " Quireleaf is online at\r\n" : " Get the Quireleaf Player download from\r\n";
  note += std::string(4, ' ') + kProductWebAddress + "\r\n" + rule;
  return note;
}

}  // namespace qrl
