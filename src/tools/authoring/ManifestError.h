#pragma once
// Mistakes in a manifest. They are collected while the manifest is read and compiled, each
// with its place (file, then the path of the field), and reported together; nothing is
// written while there is one.

#include <string>
#include <vector>

#include "format/QuireleafException.h"

namespace qrl {

class EManifestError : public EQuireleafException {
 public:
  explicit EManifestError(std::vector<std::string> messages);
  const char* ClassName() const noexcept override { return "EManifestError"; }
  // One line per mistake: "demo.json: pages[2].place[0].goto: no page is named \"gallery\"".
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  std::vector<std::string> messages_;
};

class TManifestErrors {
 public:
  // Reports beyond this many are counted, not kept.
  static constexpr std::size_t kMaxMessages = 100;

  explicit TManifestErrors(std::string fileName) : fileName_(std::move(fileName)) {}

  // place: the path of the field ("elements.logo.file"); empty for the manifest as a whole.
  void Add(const std::string& place, const std::string& message);
  bool Empty() const { return count_ == 0; }
  // Raises EManifestError with every mistake so far, if there is one.
  void ThrowIfAny() const;

 private:
  std::string fileName_;
  std::vector<std::string> messages_;
  std::size_t count_ = 0;
};

// The place of a field of an object, and of an entry of an array.
std::string FieldPlace(const std::string& place, const std::string& key);
std::string EntryPlace(const std::string& place, std::size_t index);

}  // namespace qrl
