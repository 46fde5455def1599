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
// Builds into `out` a text that reads (first section and first key of a
// name, as IniText reads) as theirs with each changed key set to ours' value,
// or empty where ours has none, which reads as the key's default like any
// invalid value: ours' changed keys are put first in theirs' sections, and
// ours' sections that theirs lacks follow at the end. It is meant to be read
// and built anew, not kept as it is. Each reader must be attached to its
// text; their positions are used up. Nonzero when the text was built whole.
int32_t merge_ini_texts(IniText& base, IniText& ours, IniText& theirs,
                        const char* whole_sections, IniTextBuilder& out);

// Builds into `out` the text `ours` with the keys of `file` that the
// program does not know (`known` never heard of them: a newer version wrote
// them) added, so that they survive the save: each at the end of its section
// in ours, or in a section of its own at the end when ours has none of that
// name. A key ours has itself, the sections named in `whole_sections`
// (lists) and lines that are no key are left out. Returns the keys kept (0:
// `out` is ours as it is), or -1 when the text could not be built whole.
// The readers' positions are used up.
int32_t keep_unknown_keys(IniText& ours, IniText& file, const IniKeyLog& known,
                          const char* whole_sections, IniTextBuilder& out);
