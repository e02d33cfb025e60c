// Reads the terminal's settings with the kernel's own record, which also holds speeds that have
// no symbolic constant; kept apart from <termios.h>, which defines the same names differently.
#include "LinkFixtures.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

LineSettings readLineSettings(int ptyMaster) {
    termios2 t{};
    LineSettings s;
    // On the master this reads the slave's settings.
    if (::ioctl(ptyMaster, TCGETS2, &t) != 0) {
        return s;
    }
    s.outputSpeed = t.c_ospeed;
    s.inputSpeed = t.c_ispeed;
    s.eightDataBits = (t.c_cflag & CSIZE) == CS8;
    s.twoStopBits = (t.c_cflag & CSTOPB) != 0;
    s.parity = (t.c_cflag & PARENB) != 0;
    s.hardwareFlow = (t.c_cflag & CRTSCTS) != 0;
    s.softwareFlow = (t.c_iflag & (IXON | IXOFF)) != 0;
    s.raw = (t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0 && (t.c_oflag & OPOST) == 0 &&
            (t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | BRKINT)) == 0;
    s.receiverOn = (t.c_cflag & CREAD) != 0;
    return s;
}
