#pragma once

#include <QString>
#include <QStringList>

// The recipient search: every row whose column contains the typed text. The text is bound as a
// parameter with LIKE's wildcards escaped, so whatever the user types (quotes, %, _, \) matches
// itself and can never change the statement. LIKE ignores the case of Latin letters.
struct SearchStatement
{
    QString sql;
    QStringList params;
};

// column is one of the program's fixed column names, never user input.
SearchStatement containsSearch(const QString &column, const QString &text);
