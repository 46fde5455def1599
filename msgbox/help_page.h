#pragma once

// The "Program info" page: writes the built-in page to a file in the
// temporary folder and opens it with the user's program for HTML files.
class HelpPage {
public:
    HelpPage(const wchar_t* file_name, const char* page_text);
    HelpPage(const HelpPage&) = delete;
    HelpPage& operator=(const HelpPage&) = delete;

    // Writes the page so that the file holds exactly the page, then opens it.
    void open_page();
    // Removes the help file; nothing happens when it does not exist.
    void delete_file();

    const char* page_text;
    // The temporary folder and the file name (at most MAX_PATH - 1
    // characters, UTF-16 for a user name of any language); empty when they
    // don't fit, and then no file is used.
    wchar_t* path;
};
