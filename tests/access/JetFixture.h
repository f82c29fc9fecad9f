#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QtTest>

// The Access test files and their damaged copies.
struct JetFixture
{
    static QString file(const char* name)
    {
        return QDir(QStringLiteral(JET_TEST_DATA)).filePath(QLatin1String(name));
    }
    static QByteArray bytes(const char* name)
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }
};
