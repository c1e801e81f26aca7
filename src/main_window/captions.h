#pragma once
// The two caption languages: every text a language switch sets, in the
// order it sets them, and the window title built from the version.

#include <string>

namespace quenlow {

enum class caption_language { chinese, english };

struct caption_set {
    const char* title_name;     // the title's fixed part: name, then the word for version
    const char* title_version;
    const char* size_frame;     // Fm_Size
    const char* always_on_top;  // Chk_top
    const char* change_size;    // Com_Manual
    const char* fast_button;    // Chk_Auto
    const char* update_list;    // Com_Update
    const char* chinese_option; // op_Chinese
    const char* english_option; // op_English
    const char* stored_value;   // written under "Chinese"
};

const caption_set& captions_for(caption_language language);

struct version_triple {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// "1.1.2": the three numbers in decimal joined by ".".
std::string version_text(version_triple version);

// The main window's title: the fixed part of the language, then the version
// text, with nothing between.
std::string window_title(caption_language language, version_triple version);

}  // namespace quenlow
