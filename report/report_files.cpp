// cReport's files: naming, storing and deleting the report file, the registered viewer and icon.
#include <cstdint>
#include <ctime>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

#include "base/date_serial.h"
#include "base/format.h"
#include "base/local_time.h"
#include "base/locale_info.h"
#include "base/text.h"
#include "base/variant.h"
#include "platform/current_locale.h"
#include "platform/file_system.h"
#include "platform/process_launcher.h"
#include "platform/registry_source.h"
#include "platform/user_prompt.h"
#include "report/library.h"
#include "report/registry.h"
#include "report/report.h"
#include "report/report_files.h"

namespace orlix {
namespace {

constexpr char kCaption[] = "Talvern";
constexpr char kCrLf[] = "\r\n";
constexpr std::size_t kNameTitleChars = 50;

// The first `count` characters of UTF-8 text, never splitting a character.
std::string FirstCharacters(const std::string& text, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
    if (seen == count) return text.substr(0, i);
    ++seen;
  }
  return text;
}

// Text is converted to the file's code page this much at a time.
constexpr std::size_t kPieceBytes = std::size_t{1} << 20;

// Converts UTF-8 text arriving in pieces to the bytes of a report file. No character, whole or
// broken, reaches across an ASCII byte: each piece is converted up to its last one, and the
// rest waits for the next piece.
class FileBytesWriter {
 public:
  explicit FileBytesWriter(const FileSystem::PieceSink& sink) : sink_(sink) {}

  void Write(std::string_view text) {
    std::size_t cut = text.size();
    while (cut > 0 && static_cast<unsigned char>(text[cut - 1]) >= 0x80) --cut;
    if (cut == 0) {
      held_.append(text);
      return;
    }
    held_.append(text.substr(0, cut));
    sink_(TextToFileBytes(held_));
    held_.assign(text.substr(cut));
  }

  void Finish() {
    if (!held_.empty()) sink_(TextToFileBytes(held_));
    held_.clear();
  }

 private:
  const FileSystem::PieceSink& sink_;
  std::string held_;
};

}  // namespace

bool cReport::WriteFileBytes(const std::function<void(std::string_view)>& sink) {
  FileBytesWriter writer(sink);
  const auto write = [&writer](std::string_view piece) { writer.Write(piece); };
  const bool rendered = !Generated && GenerateInPieces(write);
  if (!rendered) {
    for (std::size_t at = 0; at < ReportContents.size(); at += kPieceBytes)
      write(std::string_view(ReportContents).substr(at, kPieceBytes));
  }
  writer.Finish();
  return Generated || rendered;
}

double LocalNowAsOleDate() {
  const std::time_t t = std::time(nullptr);
  const std::tm local = LocalTime(t);
  double date = 0;
  MakeOleDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
              local.tm_sec > 59 ? 59 : local.tm_sec, &date);
  return date;
}

namespace {

// The default value of a key under the class root, or empty text when it is missing or cannot
// be read.
std::string ReadClassRootDefault(RegistrySource* source, const std::string& subKey) {
  if (!source) return std::string();
  const cRegistry registry(*source);
  const ScopedRegKey key = registry.OpenKey(source->Root(), subKey);
  if (!key) return std::string();
  return registry.GetValue(key.get(), std::string()).value_or(std::string());
}

// The file class registered for an extension, then the default value of a key below it.
std::string ReadFileTypeValue(RegistrySource* source, const std::string& extension, const std::string& below) {
  const std::string fileType = ReadClassRootDefault(source, "." + extension);
  if (fileType.empty()) return std::string();
  return ReadClassRootDefault(source, fileType + below);
}

}  // namespace

std::string BuildViewerCommand(const std::string& registeredCommand, const std::string& filePath,
                               const std::string& windowsFolder) {
  // The path goes in last, through a marker, so that text inside it ("%1", "%L", doubled quotes,
  // "%SystemRoot%") is never taken for part of the command.
  static const std::string kMarker = "\x01\x02";
  const std::string quoted = "\"" + filePath + "\"";
  std::string cmd = registeredCommand;
  if (cmd.find("%1") != std::string::npos) {
    cmd = ReplaceExact(cmd, "%1", kMarker);
  } else if (cmd.find("%*") != std::string::npos) {
    cmd = ReplaceExact(cmd, "%*", kMarker);
  } else if (FindNoCase(cmd, "%L") != std::string::npos) {
    // "%l" is the long-name placeholder too; the shell reads both forms.
    cmd = ReplaceNoCase(cmd, "%L", kMarker);
  } else {
    cmd += " " + kMarker;
  }
  cmd = ReplaceExact(cmd, "%1", "");
  cmd = ReplaceExact(cmd, "%*", "");
  cmd = ReplaceNoCase(cmd, "%L", "");
  cmd = ReplaceExact(cmd, "\"\"", "\"");
  cmd = ReplaceExact(cmd, "%SystemRoot%", windowsFolder);
  // A placeholder the command already wraps in quotes takes the path once quoted.
  cmd = ReplaceExact(cmd, "\"" + kMarker + "\"", quoted);
  return ReplaceExact(cmd, kMarker, quoted);
}

std::string NameTitle(const ReportParameters* parameters) {
  std::string title;
  if (parameters) {
    if (KeyExists("{||ReportTitle||}", *parameters))
      title = FirstCharacters(parameters->Item("{||ReportTitle||}")->Value, kNameTitleChars);
    if (KeyExists("{||CurrentItemTitle||}", *parameters))
      title = title + " " + FirstCharacters(parameters->Item("{||CurrentItemTitle||}")->Value, kNameTitleChars);
  }
  if (title.empty()) title = "Talvern Report";
  return title;
}

std::string ExtensionForReportType(std::int32_t type) {
  switch (type) {
    case kReportRtf:
      return "rtf";
    case kReportHtml:
      return "html";
    case kReportCsv:
      return "csv";
    default:
      return std::string();
  }
}

std::string cReport::ExtensionForType() const { return ExtensionForReportType(ReportType); }

std::string cReport::FileExtension() const { return ExtensionForType(); }

std::string cReport::CleanFileName(const std::string& name) {
  std::string cleaned;
  cleaned.reserve(name.size());
  for (const char c : name) {
    switch (c) {
      case '\\':
      case '/':
      case ':':
      case '*':
      case '?':
      case '"':
      case '<':
      case '>':
      case '|':
        break;
      default:
        cleaned += c;
    }
  }
  return cleaned;
}

namespace {

std::string FolderFromBuffer(const std::string& buffer, char separator) {
  std::string folder = TrimAtNull(buffer);
  if (!folder.empty() && folder.back() == separator) folder.pop_back();
  return folder;
}

}  // namespace

std::string cReport::GetTempFolder() {
  if (!mServices.files) return std::string();
  return FolderFromBuffer(mServices.files->TempPathBuffer(), mServices.files->PathSeparator());
}

std::string cReport::GetWindowsFolder() {
  if (!mServices.files) return std::string();
  return FolderFromBuffer(mServices.files->WindowsDirectoryBuffer(), mServices.files->PathSeparator());
}

bool cReport::FileExists(const std::string& path) {
  try {
    return mServices.files && mServices.files->StatePath(path) == PathState::NormalFile;
  } catch (const std::exception&) {
    return false;
  }
}

bool cReport::DeleteLocalFile() {
  try {
    return mServices.files && !LocalFileName.empty() && mServices.files->RemoveFile(LocalFileName);
  } catch (const std::exception&) {
    return false;
  }
}

bool cReport::StoreReportContent(bool blnUseTemporaryFile, const std::string& mstrFileDestination) {
  UserPrompt* prompt = mServices.prompt;
  auto warn = [prompt](const std::string& text) {
    if (prompt) prompt->Warn(kCaption, text);
  };
  try {
    FileSystem* files = mServices.files;
    if (!files) throw std::runtime_error("No file system is available.");

    const double now = mServices.now ? mServices.now() : LocalNowAsOleDate();
    const LocaleInfo& locale = mServices.locale ? *mServices.locale : CurrentLocale();
    const std::string stamp = FormatVariant(Variant::FromDate(now), "mmm d yyyy h-n-s", locale);
    LocalFileName = GetTempFolder() + files->PathSeparator() +
                    CleanFileName(NameTitle(mcolExtraParameters.get()) + " " + stamp + "." + ExtensionForType());

    // A temporary file of the same name from an earlier view goes first.
    DeleteLocalFile();

    LocalFileIsTemporary = blnUseTemporaryFile;
    if (!blnUseTemporaryFile) LocalFileName = mstrFileDestination;

    // Hidden and system files are asked about as well: they would be replaced just the same.
    const PathState state = files->StatePath(LocalFileName);
    const bool replacing = state == PathState::NormalFile || state == PathState::HiddenOrSystem;
    if (replacing) {
      const std::string question = "The file '" + LocalFileName + "' already exists." + kCrLf + kCrLf +
                                   "Overwrite the existing file?";
      if (!prompt || !prompt->AskYesNo(kCaption, question)) return false;
    }

    if (!Generated && KeepContents) Generate();
    // The file's bytes are made and written a piece at a time: the document is rendered into
    // the file when the job does not keep it, and its text is converted piece by piece.
    const auto produce = [this](const FileSystem::PieceSink& sink) { WriteFileBytes(sink); };

    std::string error;
    if (!replacing) {
      if (files->WriteNewFileInPieces(LocalFileName, produce, &error) != WriteResult::Written)
        throw std::runtime_error(error);
      return true;
    }

    // The old file stays whole until the new content is completely on disk beside it.
    std::string staged;
    for (int n = 1; staged.empty(); ++n) {
      if (n > 100) throw std::runtime_error(error);
      const std::string candidate = LocalFileName + "." + std::to_string(n) + ".tmp";
      const WriteResult result = files->WriteNewFileInPieces(candidate, produce, &error);
      if (result == WriteResult::Failed) throw std::runtime_error(error);
      if (result == WriteResult::Written) staged = candidate;
    }
    if (!files->ReplaceFile(staged, LocalFileName, &error)) {
      files->RemoveFile(staged);
      warn("Could not delete the file '" + LocalFileName + "'." + kCrLf + "Please make sure that the file" +
           " is not currently being used by another application" + kCrLf + "and that you have rights to delete the" +
           " file.");
      return false;
    }
    return true;
  } catch (const std::exception& e) {
    warn("Error writing file '" + LocalFileName + "':" + kCrLf + kCrLf + e.what());
    return false;
  }
}

std::string cReport::GetOpenCommand() {
  return ReadFileTypeValue(mServices.registry, ExtensionForType(), "\\Shell\\Open\\Command");
}

std::string cReport::GetIconPath() {
  std::string icon = ReadFileTypeValue(mServices.registry, ExtensionForType(), "\\DefaultIcon");
  const std::size_t comma = icon.rfind(',');
  if (comma != std::string::npos) icon.erase(comma);
  if (icon.find("%SystemRoot%") != std::string::npos) icon = ReplaceExact(icon, "%SystemRoot%", GetWindowsFolder());
  return icon;
}

bool cReport::ShellToApp() {
  std::string commandLine;
  try {
    ProcessLauncher* launcher = mServices.launcher;
    std::string error;
    if (!mServices.registry) {
      // No class root to ask (a system without the Windows registry): the desktop's own choice.
      if (!launcher) throw std::runtime_error("No program launcher is available.");
      if (!launcher->OpenDocument(LocalFileName, &commandLine, &error)) throw std::runtime_error(error);
      return true;
    }
    const std::string registered = GetOpenCommand();
    if (registered.empty()) {
      if (mServices.prompt) mServices.prompt->Warn(kCaption, "No program is associated with files of this type.");
      return true;
    }
    const std::string expanded = launcher ? launcher->ExpandEnvironment(registered) : registered;
    commandLine = BuildViewerCommand(expanded, LocalFileName, GetWindowsFolder());
    if (!launcher) throw std::runtime_error("No program launcher is available.");
    if (!launcher->StartCommandLine(commandLine, &error)) throw std::runtime_error(error);
    return true;
  } catch (const std::exception& e) {
    if (mServices.prompt)
      mServices.prompt->Warn(kCaption, "Error trying to open report '" + Title + "' using:" + kCrLf + commandLine +
                                           kCrLf + kCrLf + "Error: " + e.what());
    return false;
  }
}

}  // namespace orlix
