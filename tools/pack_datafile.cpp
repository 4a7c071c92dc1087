// pack_datafile: builds the sky data file datas.bin from the files in data/.
//
// Usage: pack_datafile OUT.bin FILE...
//
// Each FILE becomes one directory entry named by its base name, in the order
// given. The layout the program reads:
//
//   header   10 chars  inflated payload size, decimal
//             8 chars  directory size, decimal
//             8 chars  CRC-32 of the payload, hexadecimal (the program
//                      ignores it; it lets us compare served files)
//   zlib stream of the payload
//
//   payload  directory: entry 0 (describes the directory itself, never read
//            as an item), then one 48-byte entry per file: 32-byte name
//            padded with NULs, start and end offsets into the payload as
//            8-byte decimal texts (digits first, then NULs);
//            then the files' bytes, one after the other.
//
// Everything the program's reader would reject or silently misread is
// refused here with a message and exit status 1, so a bad data file never
// leaves the vendor: missing inputs, names it cannot hold or would alter,
// duplicate names, pictures beyond its picture table, and sizes beyond its
// buffers. The output is written to a temporary file and renamed into place.

#include <zlib.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// The reader's fixed buffers.
constexpr std::size_t kMaxFileSize = 4'000'000;      // whole datas.bin
constexpr std::size_t kMaxPayloadSize = 4'000'000;   // inflated payload
constexpr std::size_t kMaxDirectorySize = 2047;      // directory buffer less its NUL
constexpr std::size_t kMaxEntrySize = 5'000'000 - 1; // scratch buffer less its NUL
constexpr std::size_t kPictureSlots = 15;            // picture entries at indexes 1..14

constexpr std::size_t kEntrySize = 48;
constexpr std::size_t kNameSize = 32;
constexpr std::size_t kOffsetSize = 8;
constexpr std::size_t kHeaderSize = 26;
constexpr int kCompressionLevel = 9;

constexpr char kDirectoryEntryName[] = "DIRECTORY";

struct PackError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Entry {
  std::string name;
  std::vector<unsigned char> data;
};

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

bool IsPicture(const std::string& name) {
  return Contains(name, ".bmp") || Contains(name, ".gif");
}

std::string Lowered(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The largest picture the program decodes, on either side.
constexpr std::uint32_t kMaxPictureSide = 4096;

std::uint32_t Little(const std::vector<unsigned char>& data, std::size_t offset, std::size_t bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < bytes; ++i) value |= std::uint32_t{data[offset + i]} << (8 * i);
  return value;
}

// The reader decides an entry's kind by case-sensitive parts of its name
// (".txt", ".bmp", ".gif"), takes "Datafile.txt" and "stars.txt" only as
// spelled, and decodes a picture only as BMP or GIF up to 4096 pixels a
// side. A name it would ignore (INTRO.BMP, notes.dat), read as two kinds
// (a.bmp.txt) or as another text than meant (Stars.txt), and a picture it
// could not show, would reach users as a silent loss.
void CheckKind(const Entry& entry, const std::string& path) {
  const std::string& name = entry.name;
  const std::string lowered = Lowered(name);
  int kinds = 0;
  for (const char* part : {".txt", ".bmp", ".gif"}) {
    if (Contains(lowered, part) && !Contains(name, part)) {
      throw PackError("entry name '" + name + "' spells '" + part +
                      "' in capitals; the program matches it in small letters only");
    }
    if (Contains(name, part)) ++kinds;
  }
  if (kinds == 0) {
    throw PackError("entry name '" + name +
                    "' has no '.txt', '.bmp' or '.gif'; the program would ignore it");
  }
  if (kinds > 1 || !(EndsWith(name, ".txt") || EndsWith(name, ".bmp") || EndsWith(name, ".gif"))) {
    throw PackError("entry name '" + name +
                    "' must end in its one kind, '.txt', '.bmp' or '.gif'; the program reads every "
                    "kind a name contains");
  }
  for (const char* known : {"Datafile.txt", "stars.txt"}) {
    if (lowered == Lowered(known) && name != known) {
      throw PackError("entry name '" + name + "' must be spelled '" + known +
                      "'; the program would not read it");
    }
  }
  if (!IsPicture(name)) return;
  const std::vector<unsigned char>& data = entry.data;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  const auto starts = [&](const char* magic) {
    return data.size() >= std::strlen(magic) && std::memcmp(data.data(), magic, std::strlen(magic)) == 0;
  };
  if (EndsWith(name, ".bmp") && starts("BM") && data.size() >= 26) {
    width = Little(data, 18, 4);
    const std::int32_t rows = static_cast<std::int32_t>(Little(data, 22, 4));  // negative: top-down
    height = rows < 0 ? 0u - static_cast<std::uint32_t>(rows) : static_cast<std::uint32_t>(rows);
  } else if (EndsWith(name, ".gif") && (starts("GIF87a") || starts("GIF89a")) && data.size() >= 10) {
    width = Little(data, 6, 2);
    height = Little(data, 8, 2);
  } else {
    throw PackError("'" + path + "' is not a " + (EndsWith(name, ".bmp") ? "BMP" : "GIF") +
                    " picture; the program would show nothing");
  }
  if (width > kMaxPictureSide || height > kMaxPictureSide) {
    throw PackError("picture '" + path + "' is " + std::to_string(width) + " x " +
                    std::to_string(height) + " pixels; the program shows at most " +
                    std::to_string(kMaxPictureSide) + " on either side");
  }
}

std::vector<unsigned char> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw PackError("cannot read '" + path + "': " + std::strerror(errno));
  }
  std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (in.bad()) {
    throw PackError("error while reading '" + path + "'");
  }
  return data;
}

// The reader strips blanks from names and matches them exactly, and it takes
// a text entry only up to its first NUL; refuse what it would change.
void CheckEntry(const Entry& entry, std::size_t index, const std::string& path) {
  const std::string& name = entry.name;
  if (name.empty()) {
    throw PackError("'" + path + "' has no file name");
  }
  if (name.size() > kNameSize) {
    throw PackError("entry name '" + name + "' is " + std::to_string(name.size()) +
                    " bytes long; the directory holds at most " + std::to_string(kNameSize));
  }
  for (const unsigned char c : name) {
    if (c <= ' ' || c >= 0x7f) {
      throw PackError("entry name '" + name +
                      "' must be printable ASCII without blanks (the program strips blanks)");
    }
  }
  CheckKind(entry, path);
  if (IsPicture(name) && index >= kPictureSlots) {
    throw PackError("picture '" + name + "' would be entry " + std::to_string(index) +
                    "; the program keeps pictures only at entries 1 to " +
                    std::to_string(kPictureSlots - 1) + " (list pictures earlier)");
  }
  if (entry.data.size() > kMaxEntrySize) {
    throw PackError("'" + path + "' has " + std::to_string(entry.data.size()) +
                    " bytes; an entry may have at most " + std::to_string(kMaxEntrySize));
  }
  if (Contains(name, ".txt")) {
    for (std::size_t i = 0; i < entry.data.size(); ++i) {
      if (entry.data[i] == 0) {
        throw PackError("text '" + path + "' has a NUL byte at offset " + std::to_string(i) +
                        "; the program would cut the text there");
      }
    }
  }
}

// Writes value as decimal digits into field, the rest NUL.
void PutDecimal(unsigned char* field, std::size_t size, std::size_t value) {
  const std::string digits = std::to_string(value);
  if (digits.size() > size) {
    throw PackError("offset " + digits + " does not fit " + std::to_string(size) + " digits");
  }
  std::memset(field, 0, size);
  std::memcpy(field, digits.data(), digits.size());
}

void PutDirectoryEntry(std::vector<unsigned char>& payload, std::size_t index,
                       const std::string& name, std::size_t start, std::size_t end) {
  unsigned char* entry = payload.data() + index * kEntrySize;
  std::memset(entry, 0, kNameSize);
  std::memcpy(entry, name.data(), name.size());
  PutDecimal(entry + kNameSize, kOffsetSize, start);
  PutDecimal(entry + kNameSize + kOffsetSize, kOffsetSize, end);
}

std::vector<unsigned char> BuildPayload(const std::vector<Entry>& entries,
                                        std::size_t& directory_size) {
  directory_size = (entries.size() + 1) * kEntrySize;
  if (directory_size > kMaxDirectorySize) {
    throw PackError(std::to_string(entries.size()) + " files need a directory of " +
                    std::to_string(directory_size) + " bytes; the program reads at most " +
                    std::to_string(kMaxDirectorySize) + " (" +
                    std::to_string(kMaxDirectorySize / kEntrySize - 1) + " files)");
  }
  std::size_t payload_size = directory_size;
  for (const Entry& entry : entries) {
    payload_size += entry.data.size();
  }
  if (payload_size > kMaxPayloadSize) {
    throw PackError("the payload would be " + std::to_string(payload_size) +
                    " bytes; the program inflates at most " + std::to_string(kMaxPayloadSize));
  }

  std::vector<unsigned char> payload(directory_size);
  PutDirectoryEntry(payload, 0, kDirectoryEntryName, 0, directory_size);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t start = payload.size();
    payload.insert(payload.end(), entries[i].data.begin(), entries[i].data.end());
    PutDirectoryEntry(payload, i + 1, entries[i].name, start, payload.size());
  }
  return payload;
}

std::vector<unsigned char> Compress(const std::vector<unsigned char>& payload) {
  uLongf size = compressBound(static_cast<uLong>(payload.size()));
  std::vector<unsigned char> stream(size);
  const int rc = compress2(stream.data(), &size, payload.data(),
                           static_cast<uLong>(payload.size()), kCompressionLevel);
  if (rc != Z_OK) {
    throw PackError("zlib compress2 failed with code " + std::to_string(rc));
  }
  stream.resize(size);

  // Inflate it again the way the program does, so a file we ship is known
  // to unpack to exactly this payload.
  std::vector<unsigned char> check(payload.size() + 1024);
  uLongf check_size = static_cast<uLongf>(payload.size());
  if (uncompress(check.data(), &check_size, stream.data(), static_cast<uLong>(stream.size())) !=
          Z_OK ||
      check_size != payload.size() ||
      std::memcmp(check.data(), payload.data(), payload.size()) != 0) {
    throw PackError("the compressed payload does not inflate back to itself");
  }
  return stream;
}

std::string Header(std::size_t payload_size, std::size_t directory_size, std::uint32_t crc) {
  char header[kHeaderSize + 1];
  std::snprintf(header, sizeof header, "%10zu%8zu%08X", payload_size, directory_size,
                static_cast<unsigned>(crc));
  return std::string(header, kHeaderSize);
}

void WriteFileAtomically(const std::string& path, const std::string& header,
                         const std::vector<unsigned char>& stream) {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) {
      throw PackError("cannot write '" + tmp + "': " + std::strerror(errno));
    }
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    out.write(reinterpret_cast<const char*>(stream.data()),
              static_cast<std::streamsize>(stream.size()));
    out.close();
    if (!out) {
      std::remove(tmp.c_str());
      throw PackError("error while writing '" + tmp + "'");
    }
  }
  if (std::rename(tmp.c_str(), path.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    std::remove(tmp.c_str());
    throw PackError("cannot rename '" + tmp + "' to '" + path + "': " + reason);
  }
}

int Run(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: pack_datafile OUT.bin FILE...\n");
    return 2;
  }
  const std::string output = argv[1];

  std::vector<Entry> entries;
  std::set<std::string> names;
  for (int i = 2; i < argc; ++i) {
    const std::string path = argv[i];
    Entry entry{BaseName(path), ReadWholeFile(path)};
    CheckEntry(entry, entries.size() + 1, path);
    if (!names.insert(entry.name).second) {
      throw PackError("entry name '" + entry.name + "' is given twice");
    }
    entries.push_back(std::move(entry));
  }

  std::size_t directory_size = 0;
  const std::vector<unsigned char> payload = BuildPayload(entries, directory_size);
  const std::vector<unsigned char> stream = Compress(payload);
  if (kHeaderSize + stream.size() > kMaxFileSize) {
    throw PackError("the data file would be " + std::to_string(kHeaderSize + stream.size()) +
                    " bytes; the program reads at most " + std::to_string(kMaxFileSize));
  }
  const std::uint32_t crc =
      static_cast<std::uint32_t>(crc32(0L, payload.data(), static_cast<uInt>(payload.size())));
  WriteFileAtomically(output, Header(payload.size(), directory_size, crc), stream);

  std::printf("pack_datafile: %s: %zu entries, payload %zu bytes, file %zu bytes\n",
              output.c_str(), entries.size(), payload.size(), kHeaderSize + stream.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pack_datafile: %s\n", e.what());
    return 1;
  }
}
