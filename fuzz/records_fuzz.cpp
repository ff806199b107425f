// The best-score reader every game shares, and the step that uses what it
// read: a table it accepts is written back and must read the same again.
#include <cstdlib>

#include "fuzz.h"
#include "hopcommon/records.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::istringstream in = hopfuzz::stream(data, size);
  hop::RecordTable table;
  std::string error;
  if (!hop::readRecords(in, table, error)) {
    if (error.empty() || !table.empty()) std::abort();
    return 0;
  }
  for (const auto& [name, value] : table)
    if (!hop::validRecordName(name) || value < 0 || value > hop::kMaxRecord) std::abort();
  std::ostringstream out;
  hop::writeRecords(out, table);
  std::istringstream again(out.str());
  hop::RecordTable back;
  if (!hop::readRecords(again, back, error) || back != table) std::abort();
  return 0;
}
