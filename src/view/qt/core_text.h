#pragma once
// The texts the core writes (messages, labels, hints, captions) in the language the program
// speaks. The core keeps its own Japanese texts; this catalogue, keyed by them, is what Qt's
// translations read ("core" context). Texts from the data files stay as written. UI thread.

#include <QString>
#include <span>
#include <string>

namespace ostrel {

// Every Japanese text of the core that reaches the screen, whole or as the fixed part of a
// longer one.
std::span<const char* const> core_texts();

// On once an English translation is in use; off, every text is shown as the core wrote it.
void translate_core_texts(bool on);

// The whole text when the catalogue has it, else each known part of it translated where it
// stands, and what the data files put in between (a file or station name) as written.
QString core_text(const std::string& text);

}  // namespace ostrel
