// Preprocessor helpers for the description tables (calls.def): a parameter is written once
// as (type, name, role), and these turn a list of them into a parameter list or an argument
// list (roles.h makes the list of roles).
#pragma once

// f applied to each parenthesised item of the list, the results separated by commas. The
// nested expansions allow lists of up to 64 items.
#define ORV_MAP(f, ...) __VA_OPT__(ORV_EXPAND(ORV_MAP_FIRST(f, __VA_ARGS__)))
#define ORV_MAP_FIRST(f, item, ...) f item __VA_OPT__(ORV_MAP_AGAIN ORV_PARENS(f, __VA_ARGS__))
#define ORV_MAP_NEXT(f, item, ...) , f item __VA_OPT__(ORV_MAP_AGAIN ORV_PARENS(f, __VA_ARGS__))
#define ORV_MAP_AGAIN() ORV_MAP_NEXT
#define ORV_PARENS ()
#define ORV_EXPAND(...) ORV_EXPAND3(ORV_EXPAND3(ORV_EXPAND3(ORV_EXPAND3(__VA_ARGS__))))
#define ORV_EXPAND3(...) ORV_EXPAND2(ORV_EXPAND2(ORV_EXPAND2(ORV_EXPAND2(__VA_ARGS__))))
#define ORV_EXPAND2(...) ORV_EXPAND1(ORV_EXPAND1(ORV_EXPAND1(ORV_EXPAND1(__VA_ARGS__))))
#define ORV_EXPAND1(...) __VA_ARGS__

// A call's parameter list as "type name, ..." and as "name, ...".
#define ORV_DECLARE(type, name, role) type name
#define ORV_NAME(type, name, role) name
#define ORV_PARAMETERS(...) ORV_MAP(ORV_DECLARE, __VA_ARGS__)
#define ORV_ARGUMENTS(...) ORV_MAP(ORV_NAME, __VA_ARGS__)

// Declares a Kept guard in a call the table says keeps the last error, so that it does
// whatever the code behind it does (Windows' OutputDebugStringA leaves the error of its own
// lookups). The two calls that own the value (OwnsLastError) are left alone.
#define ORV_KEEP_LAST_ERROR(error, Kept) ORV_KEEP_##error(Kept)
#define ORV_KEEP_KeepsLastError(Kept) [[maybe_unused]] Kept kept;
#define ORV_KEEP_SetsLastError(Kept)
#define ORV_KEEP_OwnsLastError(Kept)
