#!/usr/bin/env python3
"""Writes a long personalisation-style script for the compile benchmark.

    generate_script.py OUT.scr [LINES]

The script declares constants and routines, then repeats a block of the
statements such scripts are made of: assignments, byte-array work, APDU
command lines with masks, loops, conditions, try blocks and calls. It is
only compiled, never run.
"""
import sys

HEADER = """\
const KEY = <00112233445566778899AABBCCDDEEFF>
const AID = <A000000003000000>
procedure Select(aid)
  <00A40400> aid.length aid {9000, 61XX}
end
function Mac(data, key)
  block = data
  for (i = 0) to data.length - 1 step 8
    block[i] = block[i] ^ key[i % 16]
  end
  return block[0:8]
end
"""

BLOCK = """\
counter{n} = {n}
label{n} = "record " + counter{n}
data{n} = <80E2000010> + KEY[0:8] + <{hex}>
if counter{n} % 3 = 0 then
  Select(AID)
  <80CA9F7F00> {{9000}}
else
  <00B0000000> data{n}[0:2] "AB" 16 {{9000, 6CXX}}
end
while counter{n} > {n}
  counter{n} -= 1
end
try
  mac{n} = Mac(data{n}, KEY)
catch (e)
  Println("failed: ", e, " at ", label{n})
end
total = total + Sqrt(counter{n} * 2.5) - (counter{n} << 2 | 1)
"""


def main():
    out = sys.argv[1]
    lines = int(sys.argv[2]) if len(sys.argv) > 2 else 100000
    block_lines = BLOCK.count("\n")
    with open(out, "w") as f:
        f.write(HEADER)
        f.write("total = 0\n")
        written = HEADER.count("\n") + 1
        n = 0
        while written + block_lines <= lines:
            f.write(BLOCK.format(n=n, hex="%04X" % (n % 65536)))
            written += block_lines
            n += 1
        while written < lines:
            f.write("total = total + 1\n")
            written += 1


if __name__ == "__main__":
    main()
