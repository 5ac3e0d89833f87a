def main():
    a = []
    for i in range(100000):
        a.append(i)
    s = 0
    for i in range(100000):
        s = s + a[i]
    print(s)
main()
