// Record output: records written by a layout (write_edited) or as free-format text
// (write_free), and their presentation on the console and in files.
//
// On the console the first character of each record is not shown: it chooses the line
// advance written before the rest (blank: a new line; "0": a blank line first; "1": a form
// feed; "+": back to the start of the same line). The line end of the last record shown is
// owed and written lazily: before the next record, before a console read on a terminal, or at
// the end of the run. In a file every record is written whole and ended by CR LF, through the
// unit's 1024-byte buffer.
#pragma once

#include <span>
#include <string_view>

namespace recio {

// Writes records to the unit (recio::console or a connected unit number) by the layout,
// editing the values in order into its F fields. The layout is read as the write reaches
// each descriptor; it stops at its closing parenthesis or at the first F field for which no
// value is left. Values beyond the layout's F fields are ignored. A malformed layout, or a
// value meeting an A field, ends the run with report F6099 when the write gets there.
// Returns 0.
int write_edited(int unit, std::string_view layout, std::span<const float> values);

// Writes the text as free-format output: a blank, then the text; a text of 79 characters or
// more is cut into records of 79 characters, each after its blank. Returns 0.
int write_free(int unit, std::string_view text);

// Called by a console read before it takes its first character: when one console record
// serves both directions (input and output are terminals) the owed line end is written, so
// that the typing starts on a new line. The owed flag stays set until the read finishes a
// line. When input or output is redirected nothing happens.
void settle_console_line_before_read();

// Called by a console read when it finishes a line: on a terminal the typed line end has
// moved the cursor to a new line, so no line end is owed any longer. When input or output is
// redirected the output keeps its own state and nothing happens.
void console_line_finished_by_read();

} // namespace recio
