#pragma once

#include <QString>

#include <optional>

// Values cut out of an answer of the weather and stock web services, whose
// fields are escaped XML inside XML: ...Temperature&gt; 57 F (14 C)&lt;/Temperature...
namespace ServiceAnswer {
// The value of field name: the text from skip characters after the first
// occurrence of name up to the first "/" + name after it, without the drop
// characters just before that. Searches are case-sensitive. Nothing when the
// name or its closing name is missing or the value would be shorter than
// nothing.
std::optional<QString> CutValue(const QString& answer, const QString& name, int skip, int drop);
} // namespace ServiceAnswer
