# APDU throughput from Python with pyscard: the commands of apdu.scr, the
# number of rounds on standard input; prints the time the loop took.
import sys
import time

from smartcard.System import readers

SELECT_APPLICATION = [0x00, 0xA4, 0x04, 0x0C, 0x07, 0xA0, 0x00, 0x00, 0x00, 0x03, 0x10, 0x10]
SELECT_FILE = [0x00, 0xA4, 0x02, 0x0C, 0x02, 0x6F, 0x01]
READ_BINARY = [0x00, 0xB0, 0x00, 0x10, 0x10]

rounds = int(sys.stdin.readline())
connection = readers()[0].createConnection()
connection.connect()
start = time.perf_counter()
for _ in range(rounds):
    for command in (SELECT_APPLICATION, SELECT_FILE, READ_BINARY):
        data, sw1, sw2 = connection.transmit(command)
        if (sw1, sw2) != (0x90, 0x00):
            sys.exit("command failed: %02X%02X" % (sw1, sw2))
print(rounds * 3, "commands", time.perf_counter() - start, "s")
