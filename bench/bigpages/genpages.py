"""Generates the benchmark's pages: hand-written-looking HTML with French text.

Every page is UTF-8 with accented letters, non-breaking spaces before the high
punctuation, character references (&eacute;, &laquo;...), ordinary tags, one
small <script> and one small <style>. Sizes are reached by repeating numbered
sections whose sentences are picked in a fixed pseudo-random order, so two runs
write the same bytes.
"""

import random

NBSP = "\u00a0"

SENTENCES = [
    "Le village s'étend le long de la rivière, entre les vignes et la forêt domaniale.",
    "Au printemps, les cerisiers fleurissent avant les pommiers{n}; on dit que c'est bon signe.",
    "L'&eacute;cole communale a rouvert ses portes apr&egrave;s trois ann&eacute;es de travaux.",
    "Faut-il vraiment traverser la place pour rejoindre la gare{n}? Non, un passage longe l'église.",
    "Le marché du jeudi réunit une quarantaine de producteurs{n}: fromages, miel, légumes et pain.",
    "On y parle volontiers du temps qu'il fera, de la récolte et des élections à venir.",
    "&laquo;{n}Ici, tout le monde se connaît{n}&raquo;, répète la boulangère en rendant la monnaie.",
    "Les randonneurs trouveront à l'office du tourisme une carte des sentiers balisés.",
    "La fête de la Saint-Jean attire chaque été près de deux mille visiteurs{n}!",
    "Le pont de pierre, bâti au XVIII<sup>e</sup>{n}siècle, a résisté à toutes les crues.",
    "À l'automne, la brume monte de l'eau et recouvre les prés jusqu'à midi.",
    "Le musée présente des outils agricoles, des photographies anciennes et des costumes.",
    "Les horaires d'ouverture changent en hiver{n}; mieux vaut téléphoner avant de venir.",
    "Un chemin ombragé mène au lavoir, où l'on entend encore le murmure de la source.",
    "Le maire a promis une piste cyclable reliant le bourg aux hameaux voisins.",
    "Ça sent le foin coupé, la terre mouillée et, parfois, le feu de bois.",
    "Où dormir{n}? Deux gîtes, une chambre d'hôtes et un camping au bord de l'étang.",
    "Les enfants de l'&eacute;cole ont plant&eacute; une haie de noisetiers derri&egrave;re le stade.",
    "Le coût des travaux s'élève à 120{n}000{n}€, financés pour moitié par la région.",
    "Œuvre d'un artisan du pays, le vitrail du chœur représente la moisson.",
]

TITLES = [
    "Histoire du bourg", "Vie quotidienne", "Se promener", "Manger et dormir",
    "Fêtes et traditions", "Le patrimoine", "Projets de la commune", "Venir au village",
]

HEAD = """<!DOCTYPE html>
<html lang="fr">
<head>
<meta charset="utf-8">
<title>Chroniques d'un village &ndash; page d'essai</title>
<style>
body { font-family: serif; margin: 2em auto; max-width: 42em; }
h2 { color: #335; border-bottom: 1px solid #ccd; }
.note { font-size: 90%; color: #555; }
</style>
<script>
document.addEventListener("DOMContentLoaded", function () {
  var n = document.querySelectorAll("section").length;
  document.title = document.title + " (" + n + " sections)";
});
</script>
</head>
<body>
<h1>Chroniques d&rsquo;un village</h1>
"""

TAIL = """<p class="note">Page produite pour mesurer l&rsquo;éditeur.</p>
</body>
</html>
"""


def _wrap(text, width=90):
    """Breaks a paragraph into lines the way a person would type it."""
    lines, line = [], ""
    for word in text.split(" "):
        if line and len(line) + 1 + len(word) > width:
            lines.append(line)
            line = word
        else:
            line = f"{line} {word}" if line else word
    if line:
        lines.append(line)
    return "\n".join(lines)


def _section(index, rng):
    out = [f'<section id="s{index}">', f"<h2>{index}. {rng.choice(TITLES)}</h2>"]
    for _ in range(rng.randint(2, 4)):
        picked = [rng.choice(SENTENCES) for _ in range(rng.randint(3, 6))]
        text = " ".join(s.replace("{n}", rng.choice([NBSP, "&nbsp;"])) for s in picked)
        if rng.random() < 0.3:
            text = text.replace("le village", '<a href="village.html#plan">le village</a>', 1)
        if rng.random() < 0.3:
            text = text.replace("la rivière", "<em>la rivière</em>", 1)
        out.append("<p>" + _wrap(text) + "</p>")
    if rng.random() < 0.25:
        out.append("<ul>")
        for _ in range(3):
            out.append(f"  <li><strong>{rng.choice(TITLES)}</strong>{NBSP}: {rng.choice(SENTENCES).replace('{n}', NBSP)}</li>")
        out.append("</ul>")
    out.append("</section>")
    return "\n".join(out) + "\n"


def page(size, one_line=False):
    """Returns about `size` bytes of page as UTF-8; `one_line` joins it on one line."""
    rng = random.Random(size)
    parts = [HEAD]
    total = len(HEAD.encode()) + len(TAIL.encode())
    index = 1
    while total < size:
        s = _section(index, rng)
        parts.append(s)
        total += len(s.encode())
        index += 1
    parts.append(TAIL)
    text = "".join(parts)
    if one_line:
        text = text.replace("\n", " ") + "\n"
    return text.encode("utf-8")
