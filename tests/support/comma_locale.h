#pragma once
// Switches the process to a locale whose decimal separator is a comma, as a front end adopting
// the user's locale may, and restores the previous one afterwards.
#include <clocale>
#include <cstring>
#include <string>

class ScopedCommaLocale {
public:
    ScopedCommaLocale() {
        const char* previous = std::setlocale(LC_ALL, nullptr);
        m_previous = previous ? previous : "C";
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                                 "de-DE", "German_Germany.1252", "French_France.1252"}) {
            if (std::setlocale(LC_ALL, name) &&
                std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
                m_active = true;
                return;
            }
        }
        std::setlocale(LC_ALL, m_previous.c_str());
    }
    ~ScopedCommaLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    ScopedCommaLocale(const ScopedCommaLocale&) = delete;
    ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

    // False when no such locale is installed (the caller then skips).
    bool Active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};
