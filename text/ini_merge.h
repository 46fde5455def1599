#pragma once
#include <cstdint>
#include "text/ini_text.h"

// Two windows that share one settings file: before a window saves, the file
// as it is now (`theirs`) takes over only what this window changed. A key
// counts as changed when its value differs between `base`, the text the
// window would have written when it started, and `ours`, the text it would
// write now (a key present in one and absent in the other has changed too).
// The sections named in `whole_sections` (each name ended by '\0', the list
// by an empty name) are lists, compared and taken as a whole.
//
// Builds into `out` the text of theirs with each changed key set to ours'
// value, or removed where ours has none; a changed key that theirs lacks is
// added at the end of its section, a section theirs lacks at the end. Each
// reader must be attached to its text; their positions are used up.
// Nonzero when the text was built whole.
int32_t merge_ini_texts(IniText& base, IniText& ours, IniText& theirs,
                        const char* whole_sections, IniTextBuilder& out);
