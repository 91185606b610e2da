#include "disk_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>
#include <utility>

namespace fs = std::filesystem;

namespace ostrevan::testing {

namespace {

std::string Join(const std::string& folder, const std::string& name) {
#ifdef _WIN32
  return folder + "\\" + name;
#else
  return folder + "/" + name;
#endif
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// Sector numbers as "2-5,9".
std::string SectorList(const std::vector<int64_t>& sectors) {
  std::string text;
  for (size_t i = 0; i < sectors.size();) {
    size_t j = i;
    while (j + 1 < sectors.size() && sectors[j + 1] == sectors[j] + 1) ++j;
    if (!text.empty()) text += ",";
    text += std::to_string(sectors[i]);
    if (j > i) text += "-" + std::to_string(sectors[j]);
    i = j + 1;
  }
  return text.empty() ? "none" : text;
}

// log2(2^a + 2^b), for sums of counts beyond any integer.
double Log2Sum(double a, double b) {
  if (std::isinf(a) && a < 0) return b;
  if (std::isinf(b) && b < 0) return a;
  const double high = std::max(a, b);
  return high + std::log2(std::exp2(a - high) + std::exp2(b - high));
}

constexpr uint64_t kSaturated = uint64_t{1} << 62;

uint64_t SaturatingProduct(uint64_t a, uint64_t b) {
  if (a == 0 || b == 0) return 0;
  return a > kSaturated / b ? kSaturated : a * b;
}

using SharedBytes = std::shared_ptr<const Bytes>;

// A write not yet flushed: each of its sectors reaches the disk or not.
struct PendingWrite {
  int64_t position = 0;
  SharedBytes bytes;
  int64_t FirstSector() const { return position / kSectorSize; }
  int64_t LastSector() const { return (position + static_cast<int64_t>(bytes->size()) - 1) / kSectorSize; }
  size_t Sectors() const { return static_cast<size_t>(LastSector() - FirstSector() + 1); }
};

struct Inode {
  SharedBytes durable = std::make_shared<const Bytes>();  // as of its last flush
  SharedBytes current = std::make_shared<const Bytes>();
  bool emptied = false;                // emptied since its last flush
  std::vector<PendingWrite> writes;    // since its last flush (or emptying), in order
  size_t pieces = 0;                   // sectors of those writes, counted once per write

  // The emptying is a choice only when it would change what the file starts from.
  bool EmptyingIsChoice() const { return emptied && !durable->empty(); }
  int Bits() const { return static_cast<int>(pieces) + (EmptyingIsChoice() ? 1 : 0); }

  // `bits`: one per sector of each write in order, set when it reached the disk; the bit
  // after them set when the emptying did.
  Bytes Build(const std::vector<bool>& bits) const {
    const bool emptyingKept = EmptyingIsChoice() && bits[pieces];
    Bytes bytes = (emptied && (emptyingKept || durable->empty())) ? Bytes() : *durable;
    size_t bit = 0;
    for (const PendingWrite& write : writes) {
      const int64_t end = write.position + static_cast<int64_t>(write.bytes->size());
      for (int64_t sector = write.FirstSector(); sector <= write.LastSector(); ++sector) {
        if (!bits[bit++]) continue;
        const int64_t from = std::max(write.position, sector * kSectorSize);
        const int64_t to = std::min(end, (sector + 1) * kSectorSize);
        if (bytes.size() < static_cast<size_t>(to)) bytes.resize(static_cast<size_t>(to), 0);
        std::copy(write.bytes->begin() + (from - write.position), write.bytes->begin() + (to - write.position),
                  bytes.begin() + from);
      }
    }
    return bytes;
  }

  std::string DescribeChoice(const std::vector<bool>& bits) const {
    std::string text;
    size_t bit = 0;
    for (const PendingWrite& write : writes) {
      std::vector<int64_t> fresh, old;
      for (int64_t sector = write.FirstSector(); sector <= write.LastSector(); ++sector) {
        (bits[bit++] ? fresh : old).push_back(sector);
      }
      if (!text.empty()) text += "; ";
      if (writes.size() > 1) text += "write at " + std::to_string(write.position) + ": ";
      text += "new sectors " + SectorList(fresh) + ", old " + SectorList(old);
    }
    if (EmptyingIsChoice()) text += std::string(text.empty() ? "" : "; ") + (bits[pieces] ? "emptied" : "emptying lost");
    return text;
  }

  void Clean() {
    writes.clear();
    pieces = 0;
  }
};

struct NameOp {
  DiskEvent::Kind kind;
  std::string name, to;
  size_t inode;
};

using Names = std::map<std::string, size_t>;  // name to inode

}  // namespace

struct CrashStates::Model {
  std::string after;  // the last operation applied
  std::vector<std::string> marks;
  std::vector<Inode> inodes;
  Names durableNames, currentNames;
  std::vector<NameOp> pending;

  // Derived once the point is complete.
  struct NameState {
    Names names;
    std::string description;
    uint64_t count = 1;
    double log2Count = 0;
  };
  std::vector<NameState> nameStates;
  uint64_t count = 0;
  double log2Count = 0;

  size_t InodeOf(const std::string& name) const {
    const auto found = currentNames.find(name);
    if (found == currentNames.end()) throw std::logic_error("the log names a file the folder does not hold: " + name);
    return found->second;
  }

  void Apply(const DiskEvent& event) {
    using Kind = DiskEvent::Kind;
    switch (event.kind) {
      case Kind::Mark: marks.push_back(event.name); return;
      case Kind::Write: {
        Inode& inode = inodes[InodeOf(event.name)];
        if (event.bytes.empty()) break;
        auto bytes = std::make_shared<Bytes>(*inode.current);
        const auto end = static_cast<size_t>(event.position) + event.bytes.size();
        if (bytes->size() < end) bytes->resize(end, 0);
        std::copy(event.bytes.begin(), event.bytes.end(), bytes->begin() + static_cast<std::ptrdiff_t>(event.position));
        inode.current = std::move(bytes);
        PendingWrite write{event.position, std::make_shared<const Bytes>(event.bytes)};
        inode.pieces += write.Sectors();
        inode.writes.push_back(std::move(write));
        break;
      }
      case Kind::Flush: {
        Inode& inode = inodes[InodeOf(event.name)];
        inode.durable = inode.current;
        inode.emptied = false;
        inode.Clean();
        break;
      }
      case Kind::Create: {
        const auto found = currentNames.find(event.name);
        if (found != currentNames.end()) {
          Inode& inode = inodes[found->second];
          inode.current = std::make_shared<const Bytes>();
          inode.emptied = true;
          inode.Clean();
        } else {
          inodes.emplace_back();
          currentNames[event.name] = inodes.size() - 1;
          pending.push_back({event.kind, event.name, "", inodes.size() - 1});
        }
        break;
      }
      case Kind::Rename: {
        const size_t inode = InodeOf(event.name);
        currentNames.erase(event.name);
        currentNames[event.to] = inode;
        pending.push_back({event.kind, event.name, event.to, inode});
        break;
      }
      case Kind::Remove: {
        const size_t inode = InodeOf(event.name);
        currentNames.erase(event.name);
        pending.push_back({event.kind, event.name, "", inode});
        break;
      }
      case Kind::FolderFlush:
        durableNames = currentNames;
        pending.clear();
        break;
    }
    after = Describe(event);
  }

  void Derive() {
    if (pending.size() > 16) throw std::length_error("too many name operations between folder flushes");
    std::set<Names> seen;
    for (uint64_t subset = 0; subset < (uint64_t{1} << pending.size()); ++subset) {
      Names names = durableNames;
      std::string description;
      for (size_t i = 0; i < pending.size(); ++i) {
        const NameOp& op = pending[i];
        const bool chosen = (subset >> i) & 1;
        bool applies = false;
        if (op.kind == DiskEvent::Kind::Create) {
          applies = names.count(op.name) == 0;
        } else {
          const auto found = names.find(op.name);
          applies = found != names.end() && found->second == op.inode;
        }
        const char* verb = op.kind == DiskEvent::Kind::Create ? "create " : op.kind == DiskEvent::Kind::Rename ? "rename " : "remove ";
        description += std::string(description.empty() ? "" : ", ") + verb + op.name +
                       (op.kind == DiskEvent::Kind::Rename ? " to " + op.to : "") +
                       (!chosen ? " lost" : applies ? " kept" : " kept but void");
        if (!chosen || !applies) continue;
        if (op.kind == DiskEvent::Kind::Rename) {
          names.erase(op.name);
          names[op.to] = op.inode;
        } else if (op.kind == DiskEvent::Kind::Remove) {
          names.erase(op.name);
        } else {
          names[op.name] = op.inode;
        }
      }
      if (!seen.insert(names).second) continue;
      NameState state{names, description};
      for (const auto& entry : names) {
        const int bits = inodes[entry.second].Bits();
        state.count = SaturatingProduct(state.count, bits >= 62 ? kSaturated : uint64_t{1} << bits);
        state.log2Count += bits;
      }
      nameStates.push_back(std::move(state));
    }
    log2Count = -INFINITY;
    for (const NameState& state : nameStates) {
      count = std::min(kSaturated, count + state.count);
      log2Count = Log2Sum(log2Count, state.log2Count);
    }
  }

  CrashState Build(const NameState& nameState, const std::function<std::vector<bool>(const Inode&)>& choose) const {
    CrashState state;
    state.description = "after " + after;
    if (!nameState.description.empty()) state.description += "; names: " + nameState.description;
    for (const auto& entry : nameState.names) {
      const Inode& inode = inodes[entry.second];
      const std::vector<bool> bits = choose(inode);
      state.files[entry.first] = inode.Build(bits);
      const std::string choice = inode.DescribeChoice(bits);
      if (!choice.empty()) state.description += "; " + entry.first + ": " + choice;
    }
    return state;
  }
};

std::string MemoryBackedFolder() {
  std::error_code ignored;
#ifdef _WIN32
  // Under Wine on Linux the drive Z: is the Linux root.
  const char* memory = "Z:\\dev\\shm";
#else
  const char* memory = "/dev/shm";
#endif
  return fs::is_directory(memory, ignored) ? memory : "";
}

FolderFiles ReadFolder(const std::string& folder) {
  FolderFiles files;
  for (const std::string& name : NamesIn(folder)) {
    const std::string path = Join(folder, name);
    if (fs::is_regular_file(PathOf(path))) files[name] = ReadFile(path);
  }
  return files;
}

void MaterializeFolder(const FolderFiles& files, const std::string& folder) {
  for (const std::string& name : NamesIn(folder)) {
    const std::string path = Join(folder, name);
    if (files.count(name) == 0 && fs::is_regular_file(PathOf(path)) && !fs::remove(PathOf(path))) {
      throw std::runtime_error("cannot remove " + path);
    }
  }
  // A file still there is written over in place: it keeps its pages, which costs less than
  // new ones when thousands of states are written.
  for (const auto& file : files) {
    const std::string path = Join(folder, file.first);
    if (!fs::is_regular_file(PathOf(path))) {
      WriteFile(path, file.second);
      continue;
    }
    PutBytes(path, 0, file.second);
    ResizeFile(path, file.second.size());
  }
}

std::string Describe(const DiskEvent& event) {
  using Kind = DiskEvent::Kind;
  switch (event.kind) {
    case Kind::Write:
      return "write " + event.name + " at " + std::to_string(event.position) + ", " + std::to_string(event.bytes.size()) + " bytes";
    case Kind::Flush: return "flush " + event.name;
    case Kind::Create: return "create " + event.name;
    case Kind::Rename: return "rename " + event.name + " to " + event.to;
    case Kind::Remove: return "remove " + event.name;
    case Kind::FolderFlush: return "flush the folder";
    case Kind::Mark: return "mark " + event.name;
  }
  return "";
}

DiskRecorder::DiskRecorder(std::string folder) : folder_(std::move(folder)), before_(ReadFolder(folder_)) {
  SetFileFaults(this);
}

DiskRecorder::DiskRecorder(std::string folder, FolderFiles before)
    : folder_(std::move(folder)), before_(std::move(before)) {
  SetFileFaults(this);
}

DiskRecorder::~DiskRecorder() { Stop(); }

void DiskRecorder::Stop() {
  if (installed_) SetFileFaults(nullptr);
  installed_ = false;
}

void DiskRecorder::Mark(const std::string& text) {
  Add(DiskEvent(DiskEvent::Kind::Mark, text));
}

std::string DiskRecorder::NameOf(const std::string& path) {
  const bool inside = path.size() > folder_.size() + 1 && path.compare(0, folder_.size(), folder_) == 0 &&
                      IsSeparator(path[folder_.size()]);
  const std::string name = inside ? path.substr(folder_.size() + 1) : "";
  if (name.empty() || std::any_of(name.begin(), name.end(), IsSeparator)) {
    elsewhere_.push_back(path);
    return "";
  }
  return name;
}

void DiskRecorder::Add(DiskEvent event) {
  if (installed_) events_.push_back(std::move(event));
}

void DiskRecorder::Written(const std::string& path, int64_t position, const void* bytes, size_t size) {
  DiskEvent event(DiskEvent::Kind::Write, NameOf(path));
  if (event.name.empty()) return;
  event.position = position;
  const auto* start = static_cast<const unsigned char*>(bytes);
  event.bytes.assign(start, start + size);
  Add(std::move(event));
}

void DiskRecorder::Flushed(const std::string& path) {
  DiskEvent event(DiskEvent::Kind::Flush, NameOf(path));
  if (!event.name.empty()) Add(std::move(event));
}

void DiskRecorder::Created(const std::string& path) {
  DiskEvent event(DiskEvent::Kind::Create, NameOf(path));
  if (!event.name.empty()) Add(std::move(event));
}

void DiskRecorder::Renamed(const std::string& from, const std::string& to) {
  DiskEvent event(DiskEvent::Kind::Rename, NameOf(from), NameOf(to));
  if (!event.name.empty() && !event.to.empty()) Add(std::move(event));
}

void DiskRecorder::Removed(const std::string& path) {
  DiskEvent event(DiskEvent::Kind::Remove, NameOf(path));
  if (!event.name.empty()) Add(std::move(event));
}

void DiskRecorder::FolderFlushed(const std::string& path) {
  // Any file of the folder stands for it.
  if (!NameOf(path).empty()) Add(DiskEvent(DiskEvent::Kind::FolderFlush));
}

CrashStates::CrashStates(const FolderFiles& before, const std::vector<DiskEvent>& events) {
  Model model;
  model.after = "nothing (the files as they were)";
  for (const auto& file : before) {
    Inode inode;
    inode.durable = inode.current = std::make_shared<const Bytes>(file.second);
    model.inodes.push_back(std::move(inode));
    model.durableNames[file.first] = model.currentNames[file.first] = model.inodes.size() - 1;
  }
  points_.push_back(model);
  for (const DiskEvent& event : events) {
    if (event.kind == DiskEvent::Kind::Mark) {
      points_.back().marks.push_back(event.name);
      model.marks.push_back(event.name);
      continue;
    }
    model.Apply(event);
    points_.push_back(model);
  }
  for (Model& point : points_) point.Derive();
}

CrashStates::~CrashStates() = default;

size_t CrashStates::Points() const { return points_.size(); }

const std::vector<std::string>& CrashStates::MarksBefore(size_t point) const { return points_.at(point).marks; }

uint64_t CrashStates::Count(size_t point) const { return points_.at(point).count; }

double CrashStates::Log2Count(size_t point) const { return points_.at(point).log2Count; }

CrashState CrashStates::State(size_t point, uint64_t index) const {
  const Model& model = points_.at(point);
  if (index >= model.count || model.count == kSaturated) throw std::out_of_range("no such crash state");
  for (const Model::NameState& nameState : model.nameStates) {
    if (index >= nameState.count) {
      index -= nameState.count;
      continue;
    }
    // The index read as one bit per choice, file after file.
    return model.Build(nameState, [&index](const Inode& inode) {
      std::vector<bool> bits(static_cast<size_t>(inode.Bits()) + 1, false);
      for (int i = 0; i < inode.Bits(); ++i, index >>= 1) bits[static_cast<size_t>(i)] = index & 1;
      return bits;
    });
  }
  throw std::out_of_range("no such crash state");
}

CrashState CrashStates::RandomState(size_t point, std::mt19937_64& random) const {
  const Model& model = points_.at(point);
  const Model::NameState& nameState = model.nameStates[random() % model.nameStates.size()];
  return model.Build(nameState, [&random](const Inode& inode) {
    std::uniform_real_distribution<double> share(0.0, 1.0);
    const double fresh = share(random);
    std::vector<bool> bits(static_cast<size_t>(inode.Bits()) + 1, false);
    for (size_t i = 0; i < inode.pieces; ++i) bits[i] = share(random) < fresh;
    if (inode.EmptyingIsChoice()) bits[inode.pieces] = random() & 1;
    return bits;
  });
}

std::string CrashStateCounts::Text() const {
  char possible[64];
  if (log2Possible < 40) {
    std::snprintf(possible, sizeof possible, "%.0f", std::exp2(log2Possible));
  } else {
    std::snprintf(possible, sizeof possible, "about 10^%.0f", log2Possible * std::log10(2.0));
  }
  return std::to_string(points) + " crash points, " + std::to_string(checked) + " states checked (" +
         std::to_string(sampled) + " of them sampled) of " + possible + " possible";
}

CrashStateCounts ForEachCrashState(
    const FolderFiles& before, const std::vector<DiskEvent>& events, const StateChoice& choice,
    const std::function<void(const std::vector<std::string>& marksBefore, const CrashState& state)>& check) {
  const CrashStates states(before, events);
  std::mt19937_64 random(choice.randomStart);
  CrashStateCounts counts;
  counts.points = states.Points();
  counts.log2Possible = -INFINITY;
  uint64_t crowded = 0;
  for (size_t point = 0; point < states.Points(); ++point) crowded += states.Count(point) > choice.enumerateUpTo;
  const uint64_t perCrowded = crowded == 0 ? 0 : (choice.samples + crowded - 1) / crowded;
  for (size_t point = 0; point < states.Points(); ++point) {
    counts.log2Possible = Log2Sum(counts.log2Possible, states.Log2Count(point));
    const uint64_t count = states.Count(point);
    if (count <= choice.enumerateUpTo) {
      for (uint64_t index = 0; index < count; ++index) check(states.MarksBefore(point), states.State(point, index));
      counts.checked += count;
    } else {
      for (uint64_t i = 0; i < perCrowded; ++i) check(states.MarksBefore(point), states.RandomState(point, random));
      counts.checked += perCrowded;
      counts.sampled += perCrowded;
    }
  }
  return counts;
}

}  // namespace ostrevan::testing
