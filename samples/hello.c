// A small sample for the demo: tabs after text, nesting, a comment.
#include <stdio.h>

int main(void)
{
	int counts[3] = {1, 2, 3};
	for (int i = 0; i < 3; ++i) {
		if (counts[i] > 1)	/* more than one */
			printf("%d\n", counts[i]);
	}
	return 0;
}
