// Counts the words of the lines read from standard input.
package example.words;

import java.io.BufferedReader;
import java.io.InputStreamReader;

/* The longest word is kept as well;
   ties go to the word seen first. */
final class Sample {
    private static final int LIMIT = 1_000;

    public static void main(String[] args) throws Exception {
        var in = new BufferedReader(new InputStreamReader(System.in));
        long count = 0;
        String longest = "";
        for (String line; (line = in.readLine()) != null && count < LIMIT; ) {
            for (String word : line.split("[ \t]+")) {
                if (word.length() > longest.length()) {
                    longest = word;
                }
                count += word.isEmpty() ? 0 : 1;
            }
        }
        char quote = '\'';
        System.out.printf("%d words, longest \"%s\"%n", count, longest);
        System.out.println(quote + """
            Done: 0.5e-3 """);
    }
}
