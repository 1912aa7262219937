#include "platform/data/DBError.h"

#include <cctype>

std::string FormatMessageArgs(const std::string& fmt, std::initializer_list<std::string> args) {
    std::string out;
    auto next = args.begin();
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        char c = fmt[i];
        if (c != '%' || i + 1 >= fmt.size()) {
            out += c;
            continue;
        }
        if (fmt[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // Skip flags, width and precision up to the conversion letter.
        std::size_t j = i + 1;
        while (j < fmt.size() && !std::isalpha(static_cast<unsigned char>(fmt[j]))) ++j;
        if (j >= fmt.size()) {
            out += fmt.substr(i);
            break;
        }
        if (next != args.end()) out += *next++;
        i = j;
    }
    return out;
}

void DatabaseError(const std::string& message, const std::string& componentName) {
    if (componentName.empty()) throw EDatabaseError(message);
    throw EDatabaseError(componentName + ": " + message);
}

void DatabaseErrorFmt(const std::string& fmt, std::initializer_list<std::string> args,
                      const std::string& componentName) {
    DatabaseError(FormatMessageArgs(fmt, args), componentName);
}
