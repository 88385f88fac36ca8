#include "tools/qrltool/ArgumentParser.h"

#include <charconv>

namespace qrl::tool {

TArgumentParser::TArgumentParser(const std::vector<std::string>& args, const std::set<std::string>& flags,
                                 const std::set<std::string>& valued) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (flags.count(a)) {
      flags_.insert(a);
    } else if (valued.count(a)) {
      if (i + 1 >= args.size()) throw EUsage("option " + a + " needs a value");
      values_[a] = args[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      throw EUsage("unknown option " + a);
    } else {
      positionals_.push_back(a);
    }
  }
}

std::optional<std::string> TArgumentParser::Value(const std::string& name) const {
  const auto it = values_.find(name);
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

std::string TArgumentParser::Required(const std::string& name) const {
  if (auto v = Value(name)) return *v;
  throw EUsage("option " + name + " is required");
}

std::optional<int> TArgumentParser::Integer(const std::string& name, int min, int max) const {
  const auto v = Value(name);
  if (!v) return std::nullopt;
  int number = 0;
  const auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), number);
  if (ec != std::errc() || end != v->data() + v->size() || number < min || number > max)
    throw EUsage("option " + name + " needs a number from " + std::to_string(min) + " to " + std::to_string(max));
  return number;
}

std::string TArgumentParser::Single(const char* what) const {
  if (positionals_.size() != 1) throw EUsage(std::string("expected one ") + what);
  return positionals_.front();
}

}  // namespace qrl::tool
