#include "platform/recordset/tests/SampleXml.h"

#include <stdexcept>

namespace quarnel::testing {
namespace {

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string Unescape(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    const size_t semi = s.find(';', i);
    if (semi == std::string_view::npos) throw std::runtime_error("bad entity");
    const std::string_view ent = s.substr(i + 1, semi - i - 1);
    if (ent == "lt")
      out += '<';
    else if (ent == "gt")
      out += '>';
    else if (ent == "amp")
      out += '&';
    else if (ent == "apos")
      out += '\'';
    else if (ent == "quot")
      out += '"';
    else if (ent.size() > 2 && ent[0] == '#' && (ent[1] == 'x' || ent[1] == 'X'))
      AppendUtf8(out, static_cast<uint32_t>(std::stoul(std::string(ent.substr(2)), nullptr, 16)));
    else if (ent.size() > 1 && ent[0] == '#')
      AppendUtf8(out, static_cast<uint32_t>(std::stoul(std::string(ent.substr(1)))));
    else
      throw std::runtime_error("unknown entity");
    i = semi;
  }
  return out;
}

struct Tag {
  std::string name;  // "/name" for a closing tag
  std::map<std::string, std::string> attrs;
  bool self_closing = false;
};

std::vector<Tag> Tags(std::string_view text) {
  std::vector<Tag> tags;
  size_t i = 0;
  while ((i = text.find('<', i)) != std::string_view::npos) {
    Tag tag;
    size_t j = i + 1;
    while (j < text.size() && !isspace(static_cast<unsigned char>(text[j])) && text[j] != '>' &&
           text[j] != '/')
      ++j;
    if (text[i + 1] == '/') {
      j = text.find('>', i);
      tag.name = std::string(text.substr(i + 1, j - i - 1));
      tags.push_back(tag);
      i = j + 1;
      continue;
    }
    tag.name = std::string(text.substr(i + 1, j - i - 1));
    for (;;) {
      while (j < text.size() && isspace(static_cast<unsigned char>(text[j]))) ++j;
      if (j >= text.size()) throw std::runtime_error("unterminated tag");
      if (text[j] == '>') break;
      if (text[j] == '/') {
        tag.self_closing = true;
        j = text.find('>', j);
        break;
      }
      const size_t eq = text.find('=', j);
      const std::string key(text.substr(j, eq - j));
      const char quote = text[eq + 1];
      const size_t end = text.find(quote, eq + 2);
      tag.attrs[key] = Unescape(text.substr(eq + 2, end - eq - 2));
      j = end + 1;
    }
    tags.push_back(std::move(tag));
    i = j + 1;
  }
  return tags;
}

std::string Get(const std::map<std::string, std::string>& m, const std::string& k) {
  auto it = m.find(k);
  return it == m.end() ? std::string() : it->second;
}

std::set<std::string> Words(const std::string& s) {
  std::set<std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    const size_t sp = s.find(' ', i);
    const size_t end = sp == std::string::npos ? s.size() : sp;
    if (end > i) out.insert(s.substr(i, end - i));
    i = end + 1;
  }
  return out;
}

}  // namespace

XmlTable ParseSampleXml(std::string_view text) {
  XmlTable table;
  std::string section = "unchanged";
  bool in_original = false;
  XmlRow original;
  for (Tag& tag : Tags(text)) {
    if (tag.name == "s:AttributeType") {
      XmlField f;
      f.key = Get(tag.attrs, "name");
      f.name = tag.attrs.count("rs:name") ? tag.attrs["rs:name"] : f.key;
      f.type = Get(tag.attrs, "dt:type");
      f.nullable = Get(tag.attrs, "rs:nullable") == "true";
      table.fields.push_back(f);
    } else if (tag.name == "s:datatype") {
      XmlField& f = table.fields.back();
      f.type = Get(tag.attrs, "dt:type");
      f.dbtype = Get(tag.attrs, "rs:dbtype");
      if (tag.attrs.count("dt:maxLength")) f.max_length = std::stoul(tag.attrs["dt:maxLength"]);
      f.fixed = Get(tag.attrs, "rs:fixedlength") == "true";
      f.is_long = Get(tag.attrs, "rs:long") == "true";
    } else if (tag.name == "rs:update") {
      section = "modified";
    } else if (tag.name == "rs:insert") {
      section = "inserted";
    } else if (tag.name == "rs:delete") {
      section = "deleted";
    } else if (tag.name == "/rs:update" || tag.name == "/rs:insert" || tag.name == "/rs:delete") {
      section = "unchanged";
    } else if (tag.name == "rs:original") {
      in_original = true;
    } else if (tag.name == "/rs:original") {
      in_original = false;
    } else if (tag.name == "z:row") {
      XmlRow row;
      row.status = section;
      row.force_null = Words(Get(tag.attrs, "rs:forcenull"));
      tag.attrs.erase("rs:forcenull");
      row.values = tag.attrs;
      if (in_original) {
        original = row;
        continue;
      }
      if (section == "modified") {
        XmlRow merged = original;
        merged.status = section;
        for (auto& [k, v] : row.values) merged.values[k] = v;
        for (const std::string& k : row.force_null) merged.values.erase(k);
        row = merged;
      }
      table.rows.push_back(std::move(row));
    }
  }
  return table;
}

}  // namespace quarnel::testing
