// Runs the live window's suite on its own QApplication, as main.cpp runs the others.

#include <QApplication>
#include <QTest>
#include <memory>

std::unique_ptr<QObject> makeLiveTest();

int main(int argc, char** argv)
{
    qputenv("KWZ_NONINTERACTIVE", "1");
    QApplication application(argc, argv);
    std::unique_ptr<QObject> test = makeLiveTest();
    return QTest::qExec(test.get(), argc, argv);
}
