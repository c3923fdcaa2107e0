// Word statistics for the editor's status bar.
export interface WordStats {
  count: number;
  longest: string;
}

/* Splits on blanks and punctuation;
   apostrophes stay inside words. */
const SEPARATORS: RegExp = /[^\w']+/u;

export function wordStats(text: string, limit = 1e6): WordStats {
  let longest = '';
  const words = text.split(SEPARATORS).filter((w) => w.length > 0);
  for (const word of words.slice(0, limit)) {
    if (word.length > longest.length) {
      longest = word;
    }
  }
  return { count: words.length, longest };
}

export const describe = (s: WordStats): string =>
  `${s.count} words, longest "${s.longest}"` + ' \'ok\'' + "\u2026";
