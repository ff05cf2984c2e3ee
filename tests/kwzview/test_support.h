#pragma once
// A fresh program folder and data folder per test, so no test sees another's files.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class TempHome
{
  public:
    TempHome()
    {
        home_ = dir_.path() + "/home";
        QDir().mkpath(home_);
        qputenv("KWZVIEW_HOME", home_.toLocal8Bit());
        qputenv("XDG_DATA_HOME", (dir_.path() + "/data").toLocal8Bit());
    }
    QString home() const { return home_; }
    QString path(const QString& name) const { return home_ + "/" + name; }
    QString dataPath(const QString& name) const { return dir_.path() + "/data/" + name; }

    void write(const QString& name, const QByteArray& content) const
    {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        file.write(content);
    }
    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private:
    QTemporaryDir dir_;
    QString home_;
};

// A 2 x 2 pixel, 24-bit BMP file.
inline QByteArray tinyBmp()
{
    QByteArray b;
    auto u16 = [&](int v) { b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    auto u32 = [&](int v) {
        u16(v & 0xFFFF);
        u16((v >> 16) & 0xFFFF);
    };
    b.append("BM");
    u32(54 + 16);
    u32(0);
    u32(54);
    u32(40);
    u32(2);
    u32(2);
    u16(1);
    u16(24);
    u32(0);
    u32(16);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    b.append(QByteArray(16, char(0x80)));
    return b;
}
