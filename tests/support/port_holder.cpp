// Holds a serial device open the way the tool does (QSerialPort, with its lock file) until its
// standard input closes: the other program of the port tests.
// Usage: kz-port-holder DEVICE; prints "holding" once the device is open.

#include <QCoreApplication>
#include <QSerialPort>

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    QSerialPort port(QString::fromLocal8Bit(argv[1]));
    if (!port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "kz-port-holder: %s\n", qPrintable(port.errorString()));
        return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
    return 0;
}
