// Line breaks and word wrapping of message-box text (message_text.h).
#include "platform/user/message_text.h"

namespace platform::user {

std::string lineFeedBreaks(const char* text)
{
    std::string out;
    for (const char* at = text; *at; ++at) {
        if (*at != '\r') {
            out.push_back(*at);
            continue;
        }
        out.push_back('\n');
        if (at[1] == '\n') ++at;
    }
    return out;
}

namespace {

void wrapOne(std::string line, int maxWidth, const std::function<int(const std::string&)>& widthOf,
             std::vector<std::string>* out)
{
    while (widthOf(line) > maxWidth) {
        // The longest prefix that fits, then back to the last space within it.
        size_t fits = 0;
        while (fits < line.size() && widthOf(line.substr(0, fits + 1)) <= maxWidth) ++fits;
        size_t cut = line.rfind(' ', fits);
        size_t next = cut;
        if (cut == std::string::npos || cut == 0) {
            cut = next = std::max<size_t>(fits, 1);
        } else {
            while (cut > 0 && line[cut - 1] == ' ') --cut;
        }
        while (next < line.size() && line[next] == ' ') ++next;
        out->push_back(line.substr(0, cut));
        line.erase(0, next);
    }
    out->push_back(line);
}

}  // namespace

std::vector<std::string> wrapLines(const char* text, int maxWidth,
                                   const std::function<int(const std::string&)>& widthOf)
{
    std::vector<std::string> lines;
    const std::string all = lineFeedBreaks(text);
    size_t start = 0;
    for (;;) {
        const size_t end = all.find('\n', start);
        wrapOne(all.substr(start, end == std::string::npos ? std::string::npos : end - start), maxWidth, widthOf,
                &lines);
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

}  // namespace platform::user
