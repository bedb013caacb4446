* XOR testing set: the four corners again.
[INPUTS] 2
[OUTPUTS] 1
0 0   0
0 1   1
1 0   1
1 1   0
