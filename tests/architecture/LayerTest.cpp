// The layer rules of src/: each folder includes only the folders listed before it in kLayers,
// the bottom layers stay plain C++, and widgets stay in the window layers.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace qrl::test {
namespace {

namespace fs = std::filesystem;

// Bottom to top.
const std::vector<std::string> kLayers = {"format", "fif",     "imaging", "elements", "document",
                                          "render", "windows", "player",  "tools"};
// Plain C++ with no Qt at all.
const std::vector<std::string> kPlainLayers = {"format", "fif", "imaging"};
// May use Qt, but no widgets.
const std::vector<std::string> kWidgetFreeLayers = {"elements", "document", "render"};

int Rank(const std::string& layer) {
  const auto at = std::find(kLayers.begin(), kLayers.end(), layer);
  return at == kLayers.end() ? -1 : static_cast<int>(at - kLayers.begin());
}

bool In(const std::vector<std::string>& layers, const std::string& layer) {
  return std::find(layers.begin(), layers.end(), layer) != layers.end();
}

// Every include below root that breaks a rule, one line each. widgetHeaders is the folder of
// the widget module's headers; empty skips the widget rule.
std::vector<std::string> LayerViolations(const fs::path& root, const fs::path& widgetHeaders) {
  static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string ext = entry.path().extension().string();
    if (ext != ".h" && ext != ".cpp" && ext != ".c") continue;
    const fs::path relative = fs::relative(entry.path(), root);
    const std::string layer = relative.begin()->string();
    const int rank = Rank(layer);
    if (rank < 0) continue;
    std::ifstream in(entry.path());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      std::smatch m;
      if (!std::regex_search(line, m, include)) continue;
      const std::string target = m[2];
      const std::string where = relative.generic_string() + ":" + std::to_string(number) + " includes " + target;
      if (m[1] == "\"") {
        const std::string targetLayer = target.substr(0, target.find('/'));
        if (Rank(targetLayer) > rank) found.push_back(where + ", a layer above " + layer);
        continue;
      }
      const bool qt = target.starts_with("Q");
      if (qt && In(kPlainLayers, layer)) found.push_back(where + ", Qt in a plain C++ layer");
      const bool widget = target.starts_with("QtWidgets/") ||
                          (!widgetHeaders.empty() && qt && fs::exists(widgetHeaders / target));
      if (widget && In(kWidgetFreeLayers, layer)) found.push_back(where + ", widgets below the windows");
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

void Put(const TempDir& dir, const std::string& file, const std::string& text) {
  fs::create_directories((dir.Path() / file).parent_path());
  std::ofstream(dir.Path() / file) << text;
}

TEST(Layers, SourceTreeKeepsItsLayers) {
  const auto found = LayerViolations(fs::path(QRL_SOURCE_DIR) / "src", QRL_QT_WIDGETS_HEADERS);
  EXPECT_TRUE(found.empty()) << ::testing::PrintToString(found);
}

TEST(Layers, IncludesUpwardsQtAndWidgetsInTheWrongPlaceAreNamed) {
  TempDir tree;
  Put(tree, "widgets/QWidget", "");
  Put(tree, "src/fif/Decoder.h", "#include \"format/Dib.h\"\n#include <vector>\n  # include \"imaging/Dib.h\"\n");
  Put(tree, "src/format/Stream.cpp", "#include <QFile>\n");
  Put(tree, "src/render/Page.cpp", "#include <QImage>\n#include <QWidget>\n#include <QtWidgets/QLabel>\n");
  Put(tree, "src/player/Form.cpp", "#include \"windows/Splash.h\"\n#include \"tools/Tool.h\"\n#include <QWidget>\n");
  Put(tree, "src/windows/Splash.h", "#include \"player/Form.h\"\n");
  Put(tree, "src/tools/Tool.cpp", "#include \"player/Form.h\"\n#include \"unknown/X.h\"\n");
  Put(tree, "src/fif/notes.txt", "#include \"player/Form.h\"\n");

  const std::vector<std::string> expected = {
      "fif/Decoder.h:3 includes imaging/Dib.h, a layer above fif",
      "format/Stream.cpp:1 includes QFile, Qt in a plain C++ layer",
      "player/Form.cpp:2 includes tools/Tool.h, a layer above player",
      "render/Page.cpp:2 includes QWidget, widgets below the windows",
      "render/Page.cpp:3 includes QtWidgets/QLabel, widgets below the windows",
      "windows/Splash.h:1 includes player/Form.h, a layer above windows",
  };
  EXPECT_EQ(LayerViolations(tree.Path() / "src", tree.Path() / "widgets"), expected);
}

}  // namespace
}  // namespace qrl::test
