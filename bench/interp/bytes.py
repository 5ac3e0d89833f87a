def main():
    b = bytearray(1000000)
    for i in range(1000000):
        b[i] = i % 256
    s = 0
    for i in range(1000000):
        s = s + b[i]
    print(s)
main()
