/* The start-up benchmark's floor: a plain console program that does nothing. */
int main(void) { return 0; }
