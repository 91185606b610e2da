#pragma once
// A disk that fails half way: writes to the files whose path contains a given part take only
// half of their bytes. Installed for its lifetime.

#include <string>
#include <utility>

#include "file_faults.h"

namespace ostrevan::testing {

class HalfWrites : public FileFaults {
 public:
  explicit HalfWrites(std::string pathPart) : part_(std::move(pathPart)) { SetFileFaults(this); }
  ~HalfWrites() override { SetFileFaults(nullptr); }
  HalfWrites(const HalfWrites&) = delete;
  HalfWrites& operator=(const HalfWrites&) = delete;

  size_t WriteAllowance(const std::string& path, int64_t, size_t size) override {
    return path.find(part_) != std::string::npos ? size / 2 : size;
  }

 private:
  std::string part_;
};

}  // namespace ostrevan::testing
