#pragma once
// The lines of a file that a rewrite reads and writes back. A rewrite keeps every line it cannot
// read as it was, its bytes and its own line end, in its place among the lines around it; so
// it splits a file keeping each line's end, and writes each line back with it.
//
// A lone CR ends no line in a file whose lines end in LF. Readers of text files take one for a
// line end (keiba::SplitLines), but the program never writes one: in a file it rewrites, a lone
// CR among lines ended by LF is damage inside a line, and a rewrite that took it for a line end
// would write CR LF in its place and count one damaged line as two. A text file that holds no LF
// at all was saved with CR line ends (an editor of another system does so), and its lines end
// at each CR.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace keiba {

enum class LineEnds {
    CrLf,     // files of fixed-length records: a lone LF is damage inside a line, as their readers
              // take it
    CrLfOrLf, // text files, which an editor may have saved with LF alone, or CR alone
};

struct LineView {
    std::string_view text; // without its line end
    std::string_view end;  // "\r\n", "\n" or "\r"; empty for a last line that has none
};
// The lines of `bytes` in file order; joined with their ends they give the bytes back.
std::vector<LineView> SplitKeepingEnds(std::string_view bytes, LineEnds ends);

// A line as a rewrite holds it.
struct HeldLine {
    std::string text;
    std::string end = "\r\n"; // its own; a line the rewrite puts in ends in CR LF
    bool readable = true;     // false: not read, and written back as it was
};

// The lines of `bytes`, each marked by `readable` (given the line without its end).
std::vector<HeldLine> HoldLines(std::string_view bytes, LineEnds ends,
                                const std::function<bool(std::string_view text)>& readable);
// The lines joined, each with its own end. A line without one (the file's last, as it was read)
// gets one where another line now follows it, so that it does not run into that one. The lines
// a rewrite puts in end in CR LF, or in CR in a file whose lines end so.
std::string JoinHeldLines(const std::vector<HeldLine>& lines);
// The lines kept as they were because they could not be read, empty ones aside: an empty line
// holds nothing that could be lost.
std::size_t UnreadableLines(const std::vector<HeldLine>& lines);

// Text the program can read in a file it writes: no control character but the tab, and every
// byte part of a character of the encoding.
bool IsCp932TextLine(std::string_view bytes);
bool IsUtf8TextLine(std::string_view bytes);

} // namespace keiba
