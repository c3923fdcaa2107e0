-- Word counts per document, kept by the word counter.
CREATE TABLE documents (
    id      INTEGER PRIMARY KEY,
    "path"  VARCHAR(260) NOT NULL,
    words   INTEGER DEFAULT 0
);

/* The longest documents first;
   empty ones are left out. */
SELECT d."path", d.words, ROUND(d.words / 250.0, 1) AS minutes
FROM documents AS d
WHERE d.words > 0
  AND d.id IN (SELECT id FROM documents WHERE "path" LIKE '%notes%')
ORDER BY d.words DESC;

INSERT INTO documents (id, "path", words)
VALUES (1, 'C:\Temp\it''s here.txt', 1200);
