#include "captions.h"

namespace quenlow {

namespace {

constexpr caption_set chinese_captions{
    "  墨貝昆洛 - ", "版本 ", "視窗尺寸", "永遠在上面", "改變尺寸",
    "快速按鈕", "更新視窗表", "Chinese 中文", "English  英文", "1",
};

constexpr caption_set english_captions{
    "Mobrell Quenlow - ", "Ver.: ", "Windows Size", "Always on Top", "Change Size",
    "Fast Button", "Update List", "Chinese 中文", "English", "0",
};

}  // namespace

const caption_set& captions_for(caption_language language)
{
    return language == caption_language::chinese ? chinese_captions : english_captions;
}

std::string version_text(version_triple version)
{
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." +
           std::to_string(version.revision);
}

std::string window_title(caption_language language, version_triple version)
{
    const caption_set& captions = captions_for(language);
    return std::string(captions.title_name) + captions.title_version + version_text(version);
}

}  // namespace quenlow
