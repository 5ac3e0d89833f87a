def main():
    s = 0
    for i in range(1, 10000001):
        if i % 3 == 0:
            s = s + i * 2
        else:
            s = s - 1
    print(s)
main()
