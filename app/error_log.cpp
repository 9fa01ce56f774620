// The application's error handler, the error list and errors.log.
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "app/player.h"
#include "ui/utf8.h"
#include "ui/unique_file.h"

namespace velmora {

void Player::HandleError(const std::string& message) {
  errors_.Append(message);
  d_.display.ShowStatus("Error : " + message);
}

const std::vector<std::string>& Player::ErrorList() const { return errors_.Lines(); }

void Player::WriteErrorLog(const std::string& file_path, const std::string& date,
                           const std::string& time) const {
  AppendErrorLog(file_path, errors_.Lines(), date, time);
}

std::string FormatErrorLog(const std::vector<std::string>& lines, const std::string& date,
                           const std::string& time) {
  if (lines.empty()) return {};
  std::string text = "Errors on " + date + " at " + time + "\r\n";
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

void AppendErrorLog(const std::string& file_path, const std::vector<std::string>& lines,
                    const std::string& date, const std::string& time) {
  // Append mode creates a missing file, so a run without errors still leaves one behind.
  ui::UniqueFile file(ui::OpenFileUtf8(file_path, "ab"));
  if (!file) throw std::runtime_error("Cannot open file " + file_path);
  const std::string text = FormatErrorLog(lines, date, time);
  if (!text.empty() && std::fwrite(text.data(), 1, text.size(), file.get()) != text.size())
    throw std::runtime_error("Cannot write file " + file_path);
  if (!ui::CloseFile(file)) throw std::runtime_error("Cannot write file " + file_path);
}

}  // namespace velmora
