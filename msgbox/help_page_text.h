#pragma once

// The built-in help page: one line of XHTML 1.0 Strict, written to the help
// file by "Program info".
extern const char help_page_text[];
