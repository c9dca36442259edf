#pragma once
// The printed forms the program carries: the stored streams compiled from the sources
// at build time, read through the same reader as any stored template.
#include "reports/TemplateModel.h"
#include "reports/templates/StoredTemplate.h"

#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace vi23 {

class BuiltInTemplates {
public:
    // The template of that name, or nullptr.
    const Template* find(const QString& name) const;
    // Names in the order the build lists them.
    const QStringList& names() const { return names_; }
    // A stream that did not read, with what to show for it; its template is then the empty one
    // the reader left.
    struct Problem {
        QString name;
        TemplateLoadMessage message;
    };
    const std::vector<Problem>& problems() const { return problems_; }

private:
    friend BuiltInTemplates loadBuiltInTemplates();
    std::map<QString, Template> byName_;
    QStringList names_;
    std::vector<Problem> problems_;
};

// Reads every carried stream; throws UserError only when the carried index itself is missing.
BuiltInTemplates loadBuiltInTemplates();

} // namespace vi23
