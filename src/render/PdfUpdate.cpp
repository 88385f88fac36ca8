#include "render/PdfUpdate.h"

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "format/FileContents.h"
#include "format/QuireleafException.h"

namespace qrl {

namespace {

[[noreturn]] void Malformed(const std::string& path, const std::string& what) {
  throw EFileError("Cannot add links to \"" + path + "\": " + what);
}

// The numbers after the last "startxref" and the trailer dictionary before it.
struct TTrailer {
  long long XrefOffset = 0;
  int Size = 0;
  std::string Root;
  std::string Id;
};

TTrailer ReadTrailer(const std::string& pdf, const std::string& path) {
  const std::size_t start = pdf.rfind("startxref");
  const std::size_t trailer = pdf.rfind("trailer", start);
  if (start == std::string::npos || trailer == std::string::npos) Malformed(path, "no trailer");
  TTrailer t;
  t.XrefOffset = std::atoll(pdf.c_str() + start + 9);
  const std::string dict = pdf.substr(trailer, start - trailer);
  std::smatch m;
  if (!std::regex_search(dict, m, std::regex(R"(/Size\s+(\d+))"))) Malformed(path, "no /Size");
  t.Size = std::stoi(m[1]);
  if (!std::regex_search(dict, m, std::regex(R"(/Root\s+(\d+\s+\d+\s+R))"))) Malformed(path, "no /Root");
  t.Root = m[1];
  if (std::regex_search(dict, m, std::regex(R"(/ID\s*(\[[^\]]*\]))"))) t.Id = m[1];
  return t;
}

// Object offsets from a classic cross-reference table ("xref", subsections of 20-byte entries).
std::map<int, long long> ReadXref(const std::string& pdf, long long offset, const std::string& path) {
  if (offset <= 0 || static_cast<std::size_t>(offset) >= pdf.size() || pdf.compare(offset, 4, "xref") != 0)
    Malformed(path, "no cross-reference table where the trailer points");
  std::map<int, long long> offsets;
  std::istringstream in(pdf.substr(static_cast<std::size_t>(offset) + 4));
  int first = 0, count = 0;
  while (in >> first >> count) {
    for (int i = 0; i < count; ++i) {
      std::string where, generation, kind;
      if (!(in >> where >> generation >> kind)) Malformed(path, "short cross-reference table");
      if (kind == "n") offsets[first + i] = std::stoll(where);
    }
  }
  return offsets;
}

// The dictionary text of object number, between its "obj" and "endobj".
std::string ObjectBody(const std::string& pdf, const std::map<int, long long>& offsets, int number,
                       const std::string& path) {
  const auto it = offsets.find(number);
  if (it == offsets.end()) Malformed(path, "object " + std::to_string(number) + " is missing");
  const std::size_t begin = pdf.find("obj", static_cast<std::size_t>(it->second));
  const std::size_t end = pdf.find("endobj", begin);
  if (begin == std::string::npos || end == std::string::npos) Malformed(path, "unreadable object");
  return pdf.substr(begin + 3, end - begin - 3);
}

// The page objects in document order, through the page tree from the catalog.
void CollectPages(const std::string& pdf, const std::map<int, long long>& offsets, int node,
                  std::vector<int>& pages, const std::string& path, int depth) {
  if (depth > 32) Malformed(path, "page tree too deep");
  const std::string body = ObjectBody(pdf, offsets, node, path);
  std::smatch m;
  if (std::regex_search(body, m, std::regex(R"(/Type\s*/Page\b(?!s))"))) {
    pages.push_back(node);
    return;
  }
  if (!std::regex_search(body, m, std::regex(R"(/Kids\s*\[([^\]]*)\])"))) Malformed(path, "page tree without kids");
  const std::string kids = m[1];
  const std::regex reference(R"((\d+)\s+\d+\s+R)");
  for (auto k = std::sregex_iterator(kids.begin(), kids.end(), reference); k != std::sregex_iterator(); ++k)
    CollectPages(pdf, offsets, std::stoi((*k)[1]), pages, path, depth + 1);
}

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

std::string LiteralString(const std::string& ascii) {
  std::string out = "(";
  for (const char c : ascii) {
    if (c == '(' || c == ')' || c == '\\') out += '\\';
    out += c;
  }
  return out + ")";
}

// Text strings go out as UTF-16BE with its byte-order mark, so that every character survives.
std::string TextString(const QString& text) {
  std::string out = "<FEFF";
  char hex[8];
  for (const QChar c : text) {
    std::snprintf(hex, sizeof hex, "%04X", c.unicode());
    out += hex;
  }
  return out + ">";
}

}  // namespace

std::string PdfName(const std::string& utf8) {
  std::string out = "/";
  char hex[4];
  for (const char c : utf8) {
    const auto u = static_cast<unsigned char>(c);
    const bool regular = u > 0x20 && u < 0x7F && std::string_view("()<>[]{}/%#").find(c) == std::string_view::npos;
    if (regular) {
      out += c;
    } else {
      std::snprintf(hex, sizeof hex, "#%02X", u);
      out += hex;
    }
  }
  return out;
}

void AppendPdfUpdate(const std::string& path, const TPdfUpdate& update) {
  const std::string pdf = ReadFileContents(path);
  const TTrailer trailer = ReadTrailer(pdf, path);
  const auto offsets = ReadXref(pdf, trailer.XrefOffset, path);
  const int root = std::stoi(trailer.Root);
  std::smatch m;
  const std::string catalog = ObjectBody(pdf, offsets, root, path);
  if (!std::regex_search(catalog, m, std::regex(R"(/Pages\s+(\d+)\s+\d+\s+R)"))) Malformed(path, "no page tree");
  std::vector<int> pages;
  CollectPages(pdf, offsets, std::stoi(m[1]), pages, path, 0);
  if (pages.size() < update.PageLinks.size()) Malformed(path, "fewer pages than expected");

  std::string tail = pdf.back() == '\n' ? "" : "\n";
  std::map<int, std::size_t> written;  // object number -> offset in the tail
  int next = trailer.Size;
  const auto begin = [&](int number) {
    written[number] = tail.size();
    tail += std::to_string(number) + " 0 obj\n";
  };
  for (std::size_t p = 0; p < update.PageLinks.size(); ++p) {
    const auto& links = update.PageLinks[p];
    if (links.empty()) continue;
    std::string annots;
    for (const TPdfLink& link : links) {
      const int number = next++;
      annots += std::to_string(number) + " 0 R ";
      begin(number);
      tail += "<< /Type /Annot /Subtype /Link /Border [0 0 0] /Rect [" + Number(link.Rect.left()) + " " +
              Number(link.Rect.top()) + " " + Number(link.Rect.right()) + " " + Number(link.Rect.bottom()) + "]";
      if (link.TargetPage >= 0 && static_cast<std::size_t>(link.TargetPage) < pages.size())
        tail += " /Dest [" + std::to_string(pages[static_cast<std::size_t>(link.TargetPage)]) + " 0 R /Fit]";
      else if (!link.Named.empty())
        tail += " /A << /S /Named /N " + PdfName(link.Named) + " >>";
      else
        tail += " /A << /S /URI /URI " + LiteralString(link.Uri) + " >>";
      tail += " >>\nendobj\n";
    }
    // The page's annotation array, or the page itself, again with the new annotations.
    std::string body = ObjectBody(pdf, offsets, pages[p], path);
    if (std::regex_search(body, m, std::regex(R"(/Annots\s+(\d+)\s+\d+\s+R)"))) {
      const int array = std::stoi(m[1]);
      std::string items = ObjectBody(pdf, offsets, array, path);
      const std::size_t open = items.find('[');
      if (open == std::string::npos) Malformed(path, "unreadable annotation array");
      items.insert(open + 1, " " + annots);
      begin(array);
      tail += items + "endobj\n";
      continue;
    }
    if (const std::size_t inline_ = body.find("/Annots"); inline_ != std::string::npos) {
      const std::size_t open = body.find('[', inline_);
      if (open == std::string::npos) Malformed(path, "unreadable annotation array");
      body.insert(open + 1, " " + annots);
    } else {
      const std::size_t close = body.rfind(">>");
      if (close == std::string::npos) Malformed(path, "unreadable page object");
      body.insert(close, "/Annots [ " + annots + "]\n");
    }
    begin(pages[p]);
    tail += body + "endobj\n";
  }
  const int info = next++;
  begin(info);
  tail += "<<\n";
  for (const auto& [key, text] : update.Info) tail += PdfName(key) + " " + TextString(text) + "\n";
  tail += ">>\nendobj\n";

  const std::size_t xrefAt = pdf.size() + tail.size();
  tail += "xref\n";
  for (const auto& [number, offset] : written) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", pdf.size() + offset);
    tail += std::to_string(number) + " 1\n" + entry;
  }
  tail += "trailer\n<< /Size " + std::to_string(next) + " /Root " + trailer.Root + " /Info " + std::to_string(info) +
          " 0 R /Prev " + std::to_string(trailer.XrefOffset) + (trailer.Id.empty() ? "" : " /ID " + trailer.Id) +
          " >>\nstartxref\n" + std::to_string(xrefAt) + "\n%%EOF\n";

  std::ofstream out(path, std::ios::binary | std::ios::app);
  out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
  out.flush();
  if (!out) throw EFileError("Cannot write \"" + path + "\"");
}

}  // namespace qrl
