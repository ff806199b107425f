// A small, strict reader of Wavefront OBJ text: triangles written as three
// position/texture/normal index triples, expanded into three flat arrays with
// one entry per triangle corner (no index buffer), ready for immediate-mode
// drawing.
//
// Two games read their models through it; they differ only in the wording
// of the two failure messages and in how an unknown word is skipped, so the
// caller picks a Dialect (the two in use are kLineDialect and kWordDialect)
// and nothing here knows which game calls.
//
// Unlike the classic tutorial reader this is modelled on, it checks every
// index against the arrays read: an index of zero, a negative one or one past
// the end refuses the file with the parse message instead of reading out of
// bounds; so does a number that does not parse. Numbers are read with '.' as
// the decimal point whatever the process locale. A file that cannot be opened
// prints the open message and returns false at once: the reader never waits
// for input, so it cannot freeze a game's window.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace objloader {

struct Point {
    float x = 0, y = 0, z = 0;
};

struct TexCoord {
    float u = 0, v = 0;
};

struct Dialect {
    const char* openMessage;   // printed when the file cannot be opened
    const char* parseMessage;  // printed when a face or a number does not parse
    // True: an unknown word is skipped with the rest of its line ("# a
    // comment", "o name", "usemtl x"); false: the word alone is skipped and
    // the next word is read at once.
    bool skipRestOfLine;
};

// Skips the rest of the line after an unknown word; the tutorial's wording.
extern const Dialect kLineDialect;
// Skips unknown words one at a time; the terse wording.
extern const Dialect kWordDialect;

// Reads a model from `in`. On success appends 3 entries per triangle to each
// output array (all three grow by the same count) and returns true. On a
// face that is not three p/t/n triples, a malformed number or an index
// outside the arrays read, writes the dialect's parse message to `messages`
// and returns false with the outputs left as they were.
bool readObjModel(std::istream& in, std::vector<Point>& positions, std::vector<TexCoord>& uvs,
                  std::vector<Point>& normals, const Dialect& dialect, std::ostream& messages);

// Opens `path` and reads it as above; a file that cannot be opened writes the
// dialect's open message and returns false. Messages go to standard output.
bool readObjModel(const std::string& path, std::vector<Point>& positions, std::vector<TexCoord>& uvs,
                  std::vector<Point>& normals, const Dialect& dialect);
bool readObjModel(const std::string& path, std::vector<Point>& positions, std::vector<TexCoord>& uvs,
                  std::vector<Point>& normals, const Dialect& dialect, std::ostream& messages);

}  // namespace objloader
