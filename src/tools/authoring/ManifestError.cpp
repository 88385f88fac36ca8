#include "tools/authoring/ManifestError.h"

namespace qrl {

namespace {

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

}  // namespace

EManifestError::EManifestError(std::vector<std::string> messages)
    : EQuireleafException(JoinLines(messages)), messages_(std::move(messages)) {}

void TManifestErrors::Add(const std::string& place, const std::string& message) {
  if (++count_ > kMaxMessages) return;
  messages_.push_back(fileName_ + ": " + (place.empty() ? "" : place + ": ") + message);
}

void TManifestErrors::ThrowIfAny() const {
  if (count_ == 0) return;
  std::vector<std::string> messages = messages_;
  if (count_ > kMaxMessages)
    messages.push_back(fileName_ + ": " + std::to_string(count_ - kMaxMessages) + " further mistakes not shown");
  throw EManifestError(std::move(messages));
}

std::string FieldPlace(const std::string& place, const std::string& key) {
  return place.empty() ? key : place + "." + key;
}

std::string EntryPlace(const std::string& place, std::size_t index) {
  return place + "[" + std::to_string(index) + "]";
}

}  // namespace qrl
