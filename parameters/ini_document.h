#pragma once
// The in-memory INI document: named sections of named text values.
//
// Every section and key name is trimmed and lower-cased (A-Z only, whatever
// the locale) on every access, so names are case-insensitive and stored in
// lower case. Looking up a missing name appends an empty entry instead of
// failing, and entries keep the order of their first insertion. Entries are
// only ever appended or all cleared at once, so a position never changes; a
// reference returned by a lookup stays valid until the next append to the
// same table.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// Space, tab, line feed, carriage return, form feed, vertical tab: what
// trimming removes.
extern const std::string iniWhitespace;
// The line end the writer emits: carriage return, line feed.
extern const std::string iniLineEnd;

// Trims the string in place against iniWhitespace. Other bytes (control
// characters, bytes of 0x80 and above) are never removed.
void iniTrim(std::string& text);

// A name as the tables store it: trimmed, A-Z folded to a-z, every other
// byte unchanged.
std::string iniNormalName(std::string name);

template <class T>
class IniTable {
  public:
    using Entry = std::pair<std::string, T>;

    // The normalising lookup: the entry for the name, appended empty when
    // missing.
    T& operator[](std::string name) {
        name = iniNormalName(std::move(name));
        auto found = index_.find(name);
        if (found != index_.end()) return entries_[found->second].second;
        index_.emplace(name, entries_.size());
        entries_.emplace_back(std::move(name), T());
        return entries_.back().second;
    }

    std::size_t size() const { return entries_.size(); }
    void clear() {
        entries_.clear();
        index_.clear();
    }

    // Entries in insertion order.
    typename std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
    typename std::vector<Entry>::const_iterator end() const { return entries_.end(); }

  private:
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t> index_;
};

// One section: key name to value text.
using IniSection = IniTable<std::string>;
// A whole file: section name to section.
using IniDocument = IniTable<IniSection>;
