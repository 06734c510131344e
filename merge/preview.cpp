#include "merge/preview.h"

#include "merge/detect_options.h"
#include "platform/directory.h"
#include "platform/errors.h"
#include "platform/kept_content.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace merge {

namespace {

// The file's start written to a file of its own, so that the very readers
// of a collect read it: the preview cannot split otherwise than they do.
class StartCopy {
public:
  explicit StartCopy(const std::string& bytes) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    path_ = platform::JoinPath(platform::TemporaryFolder(), "kleitab-preview-" +
                                                                std::to_string(random()) + "-" +
                                                                std::to_string(counter++) + ".csv");
    std::ofstream out(std::filesystem::u8path(path_), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
      throw platform::Error("Cannot create file \"" + path_ + "\"");
  }
  ~StartCopy() {
    std::error_code ignored;
    std::filesystem::remove(std::filesystem::u8path(path_), ignored);
  }
  StartCopy(const StartCopy&) = delete;
  StartCopy& operator=(const StartCopy&) = delete;
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

class OneFile : public CandidateList {
public:
  explicit OneFile(std::string path) : path_(std::move(path)) {}
  int Count() const override { return 1; }
  bool IsTicked(int) const override { return true; }
  void Select(int) override {}
  std::string SelectedFullPath() const override { return path_; }
  std::string FullPathOf(int) const override { return path_; }

private:
  std::string path_;
};

} // namespace

Preview PreviewFile(const std::string& path, const CollectOptions& options) {
  FileStart start = ReadFileStart(path);
  Preview preview;
  preview.cut = !start.whole;
  if (!start.whole) {
    // Whole lines only; a line longer than the start is shown as far as it goes.
    const std::size_t last_line_end = start.bytes.rfind('\n');
    if (last_line_end != std::string::npos)
      start.bytes.resize(last_line_end + 1);
  }
  const StartCopy copy(start.bytes);
  CollectOptions reading = options;
  reading.side_by_side = false;
  reading.add_file_name = false;
  reading.match_headers = false;
  reading.encoding_report = nullptr;
  ResultTable table;
  OneFile list(copy.path());
  CollectFiles(table, list, reading, [] {});
  preview.encoding = table.Encoding();
  std::int32_t rows = table.RowCount();
  // A quoted record may run on past the cut: its row is not the file's.
  if (preview.cut && options.quotes && rows > 0)
    --rows;
  if (rows > kPreviewRows) {
    rows = kPreviewRows;
    preview.cut = true;
  }
  for (std::int32_t r = 0; r < rows; ++r) {
    std::vector<std::string> cells;
    for (std::int32_t c = 0; c < table.ColCount(); ++c)
      cells.emplace_back(table.GetCell(c, r));
    preview.rows.push_back(std::move(cells));
  }
  return preview;
}

} // namespace merge
