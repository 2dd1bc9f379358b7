// The maker's web page, opened by the link button Button3 and by Help > About.
#pragma once

namespace varnel {

inline constexpr const char* kMakerPageUrl = "https://www.example.com/varnel";
// The notice of the status pane RzStatusPane2, naming the maker's site.
inline constexpr const char* kMakerNotice = "官方网站: www.example.com/varnel";

// Opens the page in the default browser; whether anything opened is not looked at.
void OpenMakerPage();

}  // namespace varnel
