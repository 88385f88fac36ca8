#pragma once
// A small parser for "qrltool COMMAND [OPTIONS] ARGS": flags, options with one value, positionals.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "format/QuireleafException.h"

namespace qrl::tool {

// Wrong usage: reported with the command's usage text and exit status 2.
class EUsage : public EQuireleafException {
 public:
  using EQuireleafException::EQuireleafException;
  const char* ClassName() const noexcept override { return "EUsage"; }
};

class TArgumentParser {
 public:
  // flags: options without a value ("-d", "--json"); valued: options taking the next argument ("-o").
  TArgumentParser(const std::vector<std::string>& args, const std::set<std::string>& flags,
                  const std::set<std::string>& valued);

  bool Flag(const std::string& name) const { return flags_.count(name) > 0; }
  std::optional<std::string> Value(const std::string& name) const;
  std::string Required(const std::string& name) const;
  // An integer option; raises EUsage when it is not a number in [min, max].
  std::optional<int> Integer(const std::string& name, int min, int max) const;
  const std::vector<std::string>& Positionals() const { return positionals_; }
  // The single positional argument; raises EUsage when there is not exactly one.
  std::string Single(const char* what) const;

 private:
  std::set<std::string> flags_;
  std::map<std::string, std::string> values_;
  std::vector<std::string> positionals_;
};

}  // namespace qrl::tool
