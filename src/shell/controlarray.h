#pragma once

#include "platform/apperror.h"

#include <QMap>
#include <QString>

// Controls of one kind that share a name and are told apart by an index.
// Only the indexes that were added exist; asking for any other is an error.
template<class Control> class ControlArray
{
public:
    explicit ControlArray(QString name)
        : m_name(std::move(name))
    { }

    void add(int index, Control *control) { m_controls.insert(index, control); }

    Control *operator[](int index) const
    {
        const auto found = m_controls.constFind(index);
        if (found == m_controls.constEnd())
            throw AppError(AppError::Kind::SubscriptOutOfRange,
                           QStringLiteral("Control array element '%1(%2)' doesn't exist")
                               .arg(m_name)
                               .arg(index));
        return *found;
    }

    QList<int> indexes() const { return m_controls.keys(); }

private:
    QString m_name;
    QMap<int, Control *> m_controls;
};
