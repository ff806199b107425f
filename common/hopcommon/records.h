// A game's best results, kept across runs in one small text file:
//   $HOPGAMES_DATA_DIR/<game>/records.txt when that variable is set, else
//   $XDG_DATA_HOME/hopgames/<game>/records.txt, else
//   $HOME/.local/share/hopgames/<game>/records.txt.
// Each result has a short name ("best", "level-3", "time"), so a game with
// levels or modes keeps one a level. The file:
//   hopgames-records 1
//   best 1234
//   level-3 56
//   end 2
// "end" counts the lines before it: a file cut short is refused.
//
//   hop::Records records("boardhop");        // reads the file at start-up
//   int high = int(records.best("best").value_or(0));
//   ...                                       // the run ends with `score`
//   if (records.record("best", score)) ...   // a new best, already saved
//   records.record("time", ms, hop::Records::Lower);  // lower is better
//
// Nothing is lost or half-written: a save goes to a temporary file in the
// same folder (flushed to the disk), renamed over the old file, under a lock
// on the folder; just before, the file is read again and merged, so two
// copies of a game playing at once both keep their bests. A bad file
// (garbage, cut short, unreadable, not a plain file) is named in one line on
// stderr and renamed aside as <file>.bad-<date>, never overwritten unread. A
// folder that cannot be made or written, or a full disk, gives one line and
// the game plays on: no exception leaves this class.
//
// For tests: with HOPGAMES_TEST_HOLD_RENAME set, a save stops itself
// (SIGSTOP) between writing the temporary file and renaming it, after the
// line "Récords: detenido antes de renombrar <temporary file>".
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <string>

namespace hop {

using RecordTable = std::map<std::string, long long>;

constexpr long long kMaxRecord = 999999999999999;  // 15 digits
constexpr int kMaxRecords = 256;

// A name of 1 to 32 of a-z 0-9 - _, other than "end".
bool validRecordName(const std::string& name);
// Reads a records file: false with `error` (Spanish, no path) on anything
// else than the layout above, a value outside 0..kMaxRecord included.
bool readRecords(std::istream& in, RecordTable& out, std::string& error);
void writeRecords(std::ostream& out, const RecordTable& table);
// The folder of `game` from the environment; empty when there is none.
std::string recordsFolder(const std::string& game);

class Records {
 public:
  enum Order { Higher, Lower };

  // Reads the records of `game` (1 to 32 of a-z 0-9 - _) from its folder.
  explicit Records(const std::string& game, std::ostream& log);
  explicit Records(const std::string& game);  // messages on stderr

  std::optional<long long> best(const std::string& name) const;
  // Keeps the better of the best so far and `value` and, when `value` beats
  // it, saves. True when it does (also when the save fails).
  bool record(const std::string& name, long long value, Order order = Higher);
  const std::string& file() const { return file_; }  // empty: not kept

 private:
  enum Disk { Missing, Good, Bad };
  Disk readDisk(int dirFd, RecordTable& table, std::string& why);
  bool setAside(int dirFd, const std::string& why);
  void save();
  bool better(const std::string& name, long long a, long long b) const;
  void failed(const std::string& what);

  std::ostream& log_;
  std::string folder_, file_;
  RecordTable table_;
  std::map<std::string, Order> orders_;
  bool failing_ = false;  // the last save failed: say so once until one works
};

}  // namespace hop
