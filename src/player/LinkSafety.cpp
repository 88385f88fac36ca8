#include "player/LinkSafety.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QUrl>
#include <array>

namespace qrl {
namespace {

bool HoldsControlCharacters(const QString& text) {
  for (const QChar c : text)
    if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format) return true;
  return false;
}

bool StartsWithCaseless(const QString& text, const char* prefix) {
  return text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive);
}

bool ProgramSuffix(const QString& fileName) {
  static const std::array<const char*, 29> kSuffixes = {
      "exe", "com", "bat", "cmd",  "scr",   "pif", "msi", "lnk", "vbs", "js",
      "jar", "ps1", "sh",  "bash", "zsh",   "csh", "ksh", "fish", "py", "pl",
      "rb",  "php", "lua", "tcl",  "desktop", "appimage", "run", "bin", "elf"};
  const QString suffix = QFileInfo(fileName).suffix();
  for (const char* s : kSuffixes)
    if (suffix.compare(QLatin1String(s), Qt::CaseInsensitive) == 0) return true;
  return false;
}

bool ProgramContent(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(4);
  return head.startsWith("#!") || head.startsWith("MZ") || head.startsWith("\x7f" "ELF");
}

bool ProgramType(const QString& path) {
  static const std::array<const char*, 6> kTypes = {
      "application/x-executable",  "application/x-sharedlib",  "application/x-shellscript",
      "application/x-desktop",     "application/x-ms-dos-executable", "application/x-msdownload"};
  const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
  for (const char* t : kTypes)
    if (type.inherits(QLatin1String(t))) return true;
  return false;
}

TLinkCheck CheckFile(const QString& path, const QString& baseFolder) {
  QString local = QDir::fromNativeSeparators(path);
  if (QDir::isRelativePath(local)) local = QDir(baseFolder).absoluteFilePath(local);
  local = QDir::cleanPath(local);
  const QFileInfo info(local);
  if (!info.exists()) return {TLinkVerdict::lvMissingFile, local};
  if (IsProgramFile(local)) return {TLinkVerdict::lvRefuseProgram, local};
  return {TLinkVerdict::lvAskFile, local};
}

}  // namespace

TLinkCheck CheckLink(const QString& address, const QString& baseFolder) {
  if (address.isEmpty() || address.startsWith(QLatin1Char('-')) || HoldsControlCharacters(address))
    return {TLinkVerdict::lvRefuseAddress, address};
  if (StartsWithCaseless(address, "http://") || StartsWithCaseless(address, "https://") ||
      StartsWithCaseless(address, "mailto:") || StartsWithCaseless(address, "www."))
    return {TLinkVerdict::lvOpen, address};
  const QUrl url(address, QUrl::StrictMode);
  // A one-letter scheme is a drive letter: the address is a path.
  if (url.isValid() && url.scheme().size() > 1) {
    if (url.scheme().compare(QLatin1String("file"), Qt::CaseInsensitive) == 0) {
      if (!url.host().isEmpty() && url.host() != QLatin1String("localhost"))
        return {TLinkVerdict::lvAskAddress, address};
      return CheckFile(url.toLocalFile(), baseFolder);
    }
    return {TLinkVerdict::lvAskAddress, address};
  }
  return CheckFile(address, baseFolder);
}

bool IsProgramFile(const QString& path) {
  const QFileInfo link(path);
  const QFileInfo target(link.canonicalFilePath().isEmpty() ? path : link.canonicalFilePath());
  if (target.isDir()) return false;
  if (ProgramSuffix(link.fileName()) || ProgramSuffix(target.fileName())) return true;
  if (target.isExecutable()) return true;
  return ProgramContent(target.filePath()) || ProgramType(target.filePath());
}

bool IsRunnableProgram(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() && info.isExecutable();
}

}  // namespace qrl
