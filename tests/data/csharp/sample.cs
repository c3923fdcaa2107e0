// Counts the words of the files named on the command line.
using System;
using System.IO;

namespace WordCount
{
    /* Reads each file whole;
       a missing file counts as empty. */
    public static class Program
    {
        #region Counting
        private static int CountWords(string text)
        {
            var parts = text.Split(new[] { ' ', '\t', '\n' }, StringSplitOptions.RemoveEmptyEntries);
            return parts.Length;
        }
        #endregion

        public static int Main(string[] args)
        {
            long total = 0L;
            foreach (var path in args)
            {
                string text = File.Exists(path) ? File.ReadAllText(path) : "";
                total += CountWords(text);
            }
            Console.WriteLine($"{total} words in \"{args.Length}\" files");
            Console.WriteLine(@"C:\temp\""quoted""");
            return total > 0x10 ? 0 : 1;
        }
    }
}
