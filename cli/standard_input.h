#pragma once
// Standard input as a source ("-"): copied once into a file of its own, so
// that it is read like any other source (the stacked merge reads its
// sources twice); the copy goes when this does.

#include <QTemporaryDir>

#include <cstdio>
#include <string>

namespace cli {

class StandardInputCopy {
public:
  // Reads `in` to its end. Throws platform::Error when the copy cannot be
  // made.
  explicit StandardInputCopy(std::FILE* in);
  StandardInputCopy(const StandardInputCopy&) = delete;
  StandardInputCopy& operator=(const StandardInputCopy&) = delete;

  // The copy's name; its bare name is "-", which the file-name cell shows.
  const std::string& Path() const { return path_; }

private:
  QTemporaryDir dir_;
  std::string path_;
};

} // namespace cli
