#pragma once

// Recognising UTF-8 byte by byte, as text arrives: only the shortest forms
// of the code points up to U+10FFFF, surrogates excluded, are sequences.

// How many bytes the sequence that `lead` begins takes: 1 for ASCII, 2 to 4
// for a lead byte, 0 for a byte that can begin none.
int utf8_sequence_length(unsigned char lead);
// Whether `byte` can be byte `index` (1 to 3) of a sequence begun by `lead`.
bool utf8_continues(unsigned char lead, int index, unsigned char byte);
