// Reading the text sources of the sound and music tools: lines split into words,
// numbers and note names checked strictly, errors that name the file and line, and
// an output file that appears whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The words of one source line. '#' at the start of a word begins a comment, so a
// sharp inside a note name ("C#4") is still part of the word.
std::vector<std::string> split_words(const std::string &line);

// The lines of a text file, without their line ends. False with `error` set when the
// file cannot be read.
bool read_source_lines(const std::string &path, std::vector<std::string> &lines,
                       std::string &error);

// The same for a text already in memory; `path` names it in messages. False when the
// text holds a NUL byte.
bool split_source_lines(const std::string &path, const std::string &text,
                        std::vector<std::string> &lines, std::string &error);

// "path:line: what" (or "path: what" for line 0): the form every tool message takes.
std::string source_message(const std::string &path, int line, const std::string &what);

// A finite decimal number making up the whole word.
bool parse_number(const std::string &word, double &value);
// A whole decimal integer.
bool parse_integer(const std::string &word, long &value);

// Note names: a letter A to G, an optional '#' or 'b', an octave 0 to 7 ("C4",
// "F#2", "Bb3"). The index counts semitones from C0 (C0 = 0, A4 = 57, B7 = 95).
constexpr int kNoteCount = 96;
bool parse_note(const std::string &word, int &index);
double note_frequency(int index);  // A4 = 440 Hz, equal temperament
// The name of a note index in the form parse_note reads ("A#4").
std::string note_name(int index);

// Writes `bytes` to `path` whole or not at all (tools/common/file_out.h), with the
// failure as a tool message.
bool write_file_whole(const std::string &path, const std::vector<std::uint8_t> &bytes,
                      std::string &error);
