// Shows a short summary of the words in a text box.
'use strict';

/* The summary counts words and the longest one;
   it ignores digits and punctuation. */
const WORD = /[a-z']+/gi;

function summarize(text) {
  const words = text.match(WORD) ?? [];
  let longest = '';
  for (const word of words) {
    if (word.length > longest.length) {
      longest = word;
    }
  }
  const ratio = words.length / 2.5;
  return `${words.length} words, longest "${longest}" (${ratio.toFixed(1)})`;
}

document.querySelector('#box').addEventListener('input', (event) => {
  const line = "Summary:\t\"" + summarize(event.target.value) + "\"";
  console.log(line);
});
