#pragma once
// res/TavrelCustomizer.rc and res/resource.h as text, embedded at build time.
namespace rcscript {
extern const char* const kResourceScript;
extern const char* const kResourceHeader;
}  // namespace rcscript
