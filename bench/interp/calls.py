def add(a, b):
    return a + b
def main():
    s = 0
    for i in range(1, 1000001):
        s = add(s, i)
    print(s)
main()
