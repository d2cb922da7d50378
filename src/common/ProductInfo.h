// The product's addresses and maker, as the program shows them and uses them.
#pragma once

namespace tarvolin {

inline constexpr char kMakerName[] = "Brelland";
inline constexpr char kCopyrightText[] = "Copyright (C) 2026 Brelland. All rights reserved.";
inline constexpr char kSupportEmail[] = "support@tarvolin.example";
inline constexpr char kWebSiteUrl[] = "https://www.tarvolin.example/";
inline constexpr char kWeblogUrl[] = "https://blog.tarvolin.example/";

// The web server that publishes the version document.
inline constexpr char kUpdateHost[] = "www.tarvolin.example";
inline constexpr int kUpdatePort = 80;

}  // namespace tarvolin
