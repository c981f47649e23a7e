// Korvane's static evaluation term by term, as the evaluation tool (`korvane-eval --terms`)
// prints it: what each term means, written here once for the page's table and the review's
// explanations, and the tool's output read.

// The tool's term names, in its order, with what a player should read into each.
export const TERMS = {
    'material': ['Material', 'Pawn 100, knight and bishop 325, rook 520, queen 980; halved for both when only opposite-coloured bishops and pawns are left.'],
    'piece-squares': ['Piece squares', 'Pawns, knights, bishops and queens on good squares: central, advanced, developed.'],
    'bishops': ['Bishops', 'The pair (+20 for each bishop after the first), a fianchetto before the castled king (+15), a bishop shut in by its own pawns (−30).'],
    'pawn-structure': ['Pawn structure', 'Isolated, backward and doubled pawns cost; isolated pawns cost more in the endgame.'],
    'passed-pawns': ['Passed pawns', 'A pawn no enemy pawn can stop gains for each rank it has come, more with a neighbour beside or behind it; in the endgame less when blocked.'],
    'queens': ['Queens', 'In the endgame, a queen on the seventh rank against a king on its back rank (+50).'],
    'rooks': ['Rooks', 'On open (+25) and half-open files (+20), on the seventh rank; a rook shut in by its own king costs 45.'],
    'knights': ['Knights', 'An outpost that no enemy pawn can ever attack (+20, +12 more on the c- or d-file).'],
    'king': ['King', 'Middlegame: a safe square and a pawn shield in front, open files beside it cost. Endgame: a central king.'],
};

// The tool's output as { rows: [{ term, name, meaning, white, black }], sum: { white, black },
// phase, notes, score } (score: for the side to move, as the engine's evaluation returns it);
// null when the output is not the tool's.
export function parse_terms(lines)
{
    const rows = [];
    const notes = [];
    let sum = null;
    let phase = null;
    for (const line of lines) {
        const words = line.trim().split(/\s+/);
        if (TERMS[words[0]] && words.length === 3)
            rows.push({ term: words[0], name: TERMS[words[0]][0], meaning: TERMS[words[0]][1], white: Number(words[1]), black: Number(words[2]) });
        else if (words[0] === 'sum' && words.length === 3)
            sum = { white: Number(words[1]), black: Number(words[2]) };
        else if (words[0] === 'phase:')
            phase = words[1];
        else if (words[0] === 'note:')
            notes.push(line.slice(line.indexOf(':') + 1).trim());
    }
    const score = Number(lines.at(-1));
    if (rows.length !== Object.keys(TERMS).length || !sum || !phase || !Number.isInteger(score))
        return null;
    return { rows, sum, phase, notes, drawn: notes.some(note => note.startsWith('drawn')), score };
}
